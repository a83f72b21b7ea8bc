// The NetworkManager provider against NetworkManager's mock on a private bus, through the RAS
// functions the program calls.
#include "platform/ras/nm/nm_ras_provider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "mock_network_manager.h"
#include "platform/ras/ras.h"

namespace ov {
namespace {

constexpr unsigned kModem = 8;
constexpr unsigned kWifi = 2;
constexpr unsigned kDisconnected = 30;
constexpr unsigned kActivating = 1;
constexpr unsigned kActivated = 2;

struct Seen {
    std::string deviceType;
    std::string deviceName;
    HRASCONN handle;
};

std::map<std::string, Seen> Enumerate(RasApi& ras) {
    RASCONN buffer[4]{};
    buffer[0].dwSize = sizeof(RASCONN);
    std::uint32_t bytes = sizeof buffer;
    std::uint32_t count = 0;
    EXPECT_EQ(ras.RasEnumConnectionsA(buffer, &bytes, &count), ERROR_SUCCESS);
    std::map<std::string, Seen> seen;
    for (std::uint32_t i = 0; i < count; ++i) {
        seen[buffer[i].szEntryName] = {buffer[i].szDeviceType, buffer[i].szDeviceName,
                                       buffer[i].hrasconn};
    }
    return seen;
}

std::int32_t StateOf(RasApi& ras, HRASCONN handle, std::uint32_t* error = nullptr) {
    RASCONNSTATUS status{};
    status.dwSize = sizeof status;
    const std::uint32_t result = ras.RasGetConnectStatusA(handle, &status);
    if (error) {
        *error = result;
    }
    return status.rasconnstate;
}

std::uint32_t UserName(RasApi& ras, const std::string& entry, std::string& name) {
    RASDIALPARAMS params{};
    params.dwSize = sizeof params;
    CopyRasText(params.szEntryName, entry);
    int saved = 0;
    const std::uint32_t result = ras.RasGetEntryDialParamsA(nullptr, &params, &saved);
    name = params.szUserName;
    return result;
}

TEST(NmRasProviderTest, TwoActiveConnectionsWithTheirProfilesAndDevices) {
    test::MockNetworkManager nm;
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    const auto wifi = nm.AddDevice("wlan0", kWifi, kDisconnected);
    const auto mobile = nm.AddProfile("Mobile", "gsm", {"gsm.username=alice"});
    const auto vpn = nm.AddProfile("Office VPN", "vpn", {"vpn.data.user=bob"});
    nm.AddProfile("Home", "802-3-ethernet");
    nm.Activate(mobile, modem, "0", kActivated);
    nm.Activate(vpn, wifi, "1", kActivating);  // over a link that is already up

    NmRasProvider provider;
    // The VPN runs over an unmetered link and Home is a cable: every connection counts here.
    provider.SetCallRule({CallRule::Kind::AllButLoopback, {}});
    RasApi ras(provider);

    // One record is too small: the caller learns it needs two.
    RASCONN one{};
    one.dwSize = sizeof one;
    std::uint32_t bytes = sizeof one;
    std::uint32_t count = 0;
    EXPECT_EQ(ras.RasEnumConnectionsA(&one, &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(count, 2u);

    const auto seen = Enumerate(ras);
    ASSERT_EQ(seen.size(), 2u);
    const Seen& m = seen.at("Mobile");
    const Seen& v = seen.at("Office VPN");
    EXPECT_EQ(m.deviceType, "modem");
    EXPECT_EQ(m.deviceName, "ttyUSB0");
    EXPECT_EQ(v.deviceType, "vpn");
    EXPECT_EQ(v.deviceName, "wlan0");
    EXPECT_NE(m.handle, 0u);
    EXPECT_NE(v.handle, 0u);
    EXPECT_NE(m.handle, v.handle);
    // Handles stay the same from one enumeration to the next: the monitor relies on it.
    const auto again = Enumerate(ras);
    EXPECT_EQ(again.at("Mobile").handle, m.handle);
    EXPECT_EQ(again.at("Office VPN").handle, v.handle);

    EXPECT_EQ(StateOf(ras, m.handle), RASCS_Connected);
    // The VPN's progress is its own, not that of the link under it.
    EXPECT_EQ(StateOf(ras, v.handle), RASCS_Authenticate);
    std::uint32_t error = 0;
    StateOf(ras, m.handle + v.handle + 100, &error);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);

    std::string name;
    EXPECT_EQ(UserName(ras, "Mobile", name), ERROR_SUCCESS);
    EXPECT_EQ(name, "alice");
    EXPECT_EQ(UserName(ras, "Office VPN", name), ERROR_SUCCESS);
    EXPECT_EQ(name, "bob");
    EXPECT_EQ(UserName(ras, "Home", name), ERROR_SUCCESS);
    EXPECT_EQ(name, "");
    EXPECT_EQ(UserName(ras, "Nowhere", name), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    std::vector<std::string> entries;
    ASSERT_EQ(provider.EnumEntries(entries), ERROR_SUCCESS);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"Home", "Mobile", "Office VPN"}));

    std::vector<RasDevice> devices;
    ASSERT_EQ(provider.EnumDevices(devices), ERROR_SUCCESS);
    std::sort(devices.begin(), devices.end(),
              [](const RasDevice& a, const RasDevice& b) { return a.name < b.name; });
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "ttyUSB0");
    EXPECT_EQ(devices[0].type, "modem");
    EXPECT_EQ(devices[1].name, "wlan0");
    EXPECT_EQ(devices[1].type, "wifi");
}

TEST(NmRasProviderTest, AStateWalkThroughTheDeviceStates) {
    test::MockNetworkManager nm;
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    const auto mobile = nm.AddProfile("Mobile", "gsm");
    const auto active = nm.Activate(mobile, modem, "0", kActivating);
    NmRasProvider provider;
    RasApi ras(provider);
    const HRASCONN handle = Enumerate(ras).at("Mobile").handle;

    const struct {
        unsigned device;
        unsigned active;
        std::int32_t state;
    } kSteps[] = {
        {30, kActivating, RASCS_OpenPort},      // not begun yet
        {40, kActivating, RASCS_Authenticate},  // prepare: dialing from here on
        {50, kActivating, RASCS_Authenticate},  // config: connecting the device
        {60, kActivating, RASCS_Authenticate}, {70, kActivating, 14},  // IP config: authenticated
        {100, kActivated, RASCS_Connected},    {110, 3, RASCS_Disconnected},
    };
    for (const auto& step : kSteps) {
        nm.SetDeviceState(modem, step.device);
        nm.SetActiveState(active, step.active);
        EXPECT_EQ(StateOf(ras, handle), step.state) << "device state " << step.device;
    }
}

TEST(NmRasProviderTest, AConnectionThatHasGone) {
    test::MockNetworkManager nm;
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    const auto mobile = nm.AddProfile("Mobile", "gsm");
    const auto active = nm.Activate(mobile, modem, "0", kActivated);
    NmRasProvider provider;
    RasApi ras(provider);
    const HRASCONN handle = Enumerate(ras).at("Mobile").handle;

    nm.Drive({"remove-active", modem, active});
    std::uint32_t error = 0;
    StateOf(ras, handle, &error);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);

    // The mock hands the same path to the next activation, here of another profile: the old
    // handle must not reach it, and hanging it up must leave the other connection alone.
    const auto other = nm.AddProfile("Other", "gsm");
    nm.Activate(other, modem, "0", kActivated);
    StateOf(ras, handle, &error);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(ras.RasHangUpA(handle), ERROR_SUCCESS);  // ours has already ended
    const auto seen = Enumerate(ras);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen.at("Other").handle, handle);
    EXPECT_EQ(ras.RasHangUpA(handle), ERROR_INVALID_HANDLE);  // forgotten once it is not listed
}

TEST(NmRasProviderTest, AvailableOnlyWhileNetworkManagerOwnsItsName) {
    test::MockNetworkManager nm;
    EXPECT_TRUE(NetworkManagerOnSystemBus());
    nm.StopMock();
    EXPECT_FALSE(NetworkManagerOnSystemBus());

    NmRasProvider provider;
    std::vector<RasConnection> connections;
    EXPECT_NE(provider.EnumConnections(connections), ERROR_SUCCESS);
    nm.StopBus();
    EXPECT_FALSE(NetworkManagerOnSystemBus());
    EXPECT_NE(provider.EnumConnections(connections), ERROR_SUCCESS);

    // Back again: the provider connects afresh.
    nm.StartBus();
    nm.StartMock();
    EXPECT_EQ(provider.EnumConnections(connections), ERROR_SUCCESS);
}

}  // namespace
}  // namespace ov
