#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/ras_provider.h"

namespace ov {

/// Everything the simulated dial-up service knows; kept in its state file between calls.
struct SimState {
    struct Entry {
        std::string name;
        std::string device;
        std::string userName;
        /// What the phone-book functions keep besides the device; the device name and type
        /// fields here are unused (`device` and the device list hold them).
        RasEntryProperties properties = {};
    };
    struct Connection {
        HRASCONN handle = 0;
        std::string entry;
        std::string device;
        std::string deviceType;
        std::int32_t state = RASCS_OpenPort;
    };

    std::vector<RasDevice> devices;
    std::vector<Entry> entries;
    std::vector<Connection> connections;
    HRASCONN nextHandle = 1;
    std::uint32_t failError = 0;  // error the next enumerations of connections report
    std::uint32_t failCount = 0;  // how many of them still fail

    /// One device ("Simulated Modem", a modem) and one entry ("Demo ISP") on it.
    static SimState Fresh();

    std::string Serialize() const;
    /// Nothing, with the line and the reason in `error`, when the text is damaged.
    static std::optional<SimState> Parse(std::string_view text, std::string* error = nullptr);

    const Entry* FindEntry(std::string_view name) const;
    Entry* FindEntry(std::string_view name);
    const RasDevice* FindDevice(std::string_view name) const;
    Connection* FindConnectionOf(std::string_view entry);
};

}  // namespace ov
