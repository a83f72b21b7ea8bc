#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras/ras.h"

namespace ov {

/// One current connection as a provider reports it.
struct RasConnection {
    HRASCONN handle = 0;
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
    std::int32_t state = RASCS_OpenPort;
};

struct RasDevice {
    std::string name;
    std::string type;
};

/// The source of connections, devices and phone-book entries behind RasApi. Every function
/// returns 0 or a RAS error number. Implementations must be callable from any thread.
class RasProvider {
public:
    virtual ~RasProvider() = default;

    virtual std::uint32_t EnumConnections(std::vector<RasConnection>& out) = 0;
    /// The state of a current connection; ERROR_INVALID_HANDLE when it is not one.
    virtual std::uint32_t GetConnectState(HRASCONN handle, RasConnection& out) = 0;
    /// The user name of an entry's dial parameters; ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when
    /// there is no such entry.
    virtual std::uint32_t GetEntryUserName(const std::string& entry, std::string& userName) = 0;
    virtual std::uint32_t HangUp(HRASCONN handle) = 0;
    virtual std::uint32_t EnumDevices(std::vector<RasDevice>& out) = 0;
    virtual std::uint32_t EnumEntries(std::vector<std::string>& out) = 0;

    /// A short name for messages ("simulator", "NetworkManager").
    virtual std::string Name() const = 0;
};

}  // namespace ov
