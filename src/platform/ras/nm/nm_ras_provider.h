#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/ras/nm/nm_mapping.h"
#include "platform/ras/ras_provider.h"

namespace ov {

/// The dial-up service of a Linux desktop: NetworkManager's active connections are the RAS
/// connections, its connection profiles the phone-book entries and its devices the RAS devices.
/// Every call is a blocking D-Bus call on a private system-bus connection (2 s timeout), so the
/// provider works from any thread, with or without an event loop; calls are serialised.
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
    RasPhoneBook* PhoneBook() override { return this; }

    std::uint32_t GetEntryProperties(const std::string& entry, RasEntryProperties& out) override;
    std::uint32_t SetEntryProperties(const std::string& entry,
                                     const RasEntryProperties& properties) override;
    std::uint32_t DeleteEntry(const std::string& entry) override;
    std::uint32_t ValidateEntryName(const std::string& entry) override;

private:
    class Bus;

    std::mutex m_mutex;  // one call at a time on the connection; guards the handle table
    std::unique_ptr<Bus> m_bus;
    nm::HandleTable m_handles;
};

/// Whether NetworkManager's name has an owner on the system bus.
bool NetworkManagerOnSystemBus();

/// Makes NmRasProvider the factory's NetworkManager backend.
void RegisterNetworkManagerProvider();

}  // namespace ov
