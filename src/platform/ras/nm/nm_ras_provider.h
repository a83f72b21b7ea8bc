#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ras/nm/nm_mapping.h"
#include "platform/ras/ras_provider.h"

namespace ov {

namespace nm {
class Bus;
}

/// The dial-up service of a Linux desktop: NetworkManager's active connections are the RAS
/// connections, its connection profiles the phone-book entries and its devices the RAS devices.
/// Every call is a blocking D-Bus call on a private system-bus connection (2 s timeout), so the
/// provider works from any thread, with or without an event loop; calls are serialised.
///
/// Only the active connections the call rule counts (by default: metered ones and dial-up
/// kinds, never loopback) are RAS connections; EnumActiveConnections shows every one.
///
/// As a phone book it reads and changes the profiles: a new entry is a new profile
/// (AddConnection), a change rewrites the profile's full settings as read (Update), and what
/// NetworkManager has no setting for (area code, country, some options, the number of a
/// profile without a number setting) lives in the profile's `user.data`.
class NmRasProvider final : public RasProvider, public RasPhoneBook {
public:
    NmRasProvider();
    ~NmRasProvider() override;
    NmRasProvider(const NmRasProvider&) = delete;
    NmRasProvider& operator=(const NmRasProvider&) = delete;

    std::uint32_t EnumConnections(std::vector<RasConnection>& out) override;
    std::uint32_t GetConnectState(HRASCONN handle, RasConnection& out) override;
    std::uint32_t GetEntryUserName(const std::string& entry, std::string& userName) override;
    std::uint32_t HangUp(HRASCONN handle) override;
    std::uint32_t EnumDevices(std::vector<RasDevice>& out) override;
    std::uint32_t EnumEntries(std::vector<std::string>& out) override;
    std::string Name() const override { return "NetworkManager"; }
    void SetCallRule(const CallRule& rule) override;
    std::uint32_t EnumActiveConnections(std::vector<ActiveConnection>& out) override;
    RasPhoneBook* PhoneBook() override { return this; }

    std::uint32_t GetEntryProperties(const std::string& entry, RasEntryProperties& out) override;
    std::uint32_t SetEntryProperties(const std::string& entry,
                                     const RasEntryProperties& properties) override;
    std::uint32_t DeleteEntry(const std::string& entry) override;
    std::uint32_t ValidateEntryName(const std::string& entry) override;

private:
    /// A call of the last enumeration.
    struct Call {
        RasConnection connection;
        std::string uuid;
        std::string path;
    };
    /// A call NetworkManager stopped listing when it restarted, kept until `until`.
    struct Held {
        Call call;
        std::chrono::steady_clock::time_point until;
    };

    /// Every active connection with its verdict, the calls with their handles, and the calls
    /// kept across a restart of NetworkManager. Under the lock.
    std::uint32_t Walk(std::vector<ActiveConnection>& out);
    const Held* FindHeld(HRASCONN handle) const;

    std::mutex m_mutex;  // one call at a time on the connection; guards everything below
    std::unique_ptr<nm::Bus> m_bus;
    nm::HandleTable m_handles;
    CallRule m_rule;
    std::vector<Call> m_calls;
    std::vector<Held> m_held;
    std::string m_owner;        // NetworkManager's unique bus name at the last enumeration
    unsigned m_generation = 0;  // the bus connection of the last enumeration
};

/// Whether NetworkManager's name has an owner on the system bus.
bool NetworkManagerOnSystemBus();

/// Makes NmRasProvider the factory's NetworkManager backend.
void RegisterNetworkManagerProvider();

}  // namespace ov
