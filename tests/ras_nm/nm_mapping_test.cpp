#include "platform/ras/nm/nm_mapping.h"

#include <gtest/gtest.h>

namespace ov::nm {
namespace {

TEST(NmMappingTest, RasStateOfActiveAndDeviceStates) {
    const struct {
        std::uint32_t active;
        std::optional<std::uint32_t> device;
        std::int32_t expected;
    } kCases[] = {
        {1, 0, RASCS_OpenPort},        // activating, device state unknown
        {1, 30, RASCS_OpenPort},       // disconnected
        {1, 40, RASCS_OpenPort},       // prepare
        {1, 50, RASCS_ConnectDevice},  // config
        {1, 60, RASCS_Authenticate},   // need auth
        {1, 70, RASCS_Authenticated},  // IP config
        {1, 90, RASCS_Authenticated},  // secondaries
        {1, 100, RASCS_Authenticated},
        {1, std::nullopt, RASCS_Authenticate},  // a VPN without a device
        {2, 100, RASCS_Connected},
        {2, std::nullopt, RASCS_Connected},
        {2, 40, RASCS_Connected},  // the connection's own state decides once it is up
        {3, 110, RASCS_Disconnected},
        {4, 30, RASCS_Disconnected},
        {0, 60, RASCS_Disconnected},  // unknown
        {17, 100, RASCS_Disconnected},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(RasStateOf(c.active, c.device), c.expected)
            << c.active << "/" << (c.device ? static_cast<int>(*c.device) : -1);
    }
}

TEST(NmMappingTest, DeviceTypeTextFromConnectionOrDevice) {
    const struct {
        const char* connection;
        std::optional<std::uint32_t> device;
        const char* expected;
    } kCases[] = {
        {"gsm", 8, "modem"},
        {"cdma", 8, "modem"},
        {"bluetooth", 5, "modem"},
        {"pppoe", 1, "pppoe"},  // the profile says more than the Ethernet device under it
        {"vpn", std::nullopt, "vpn"},
        {"wireguard", 29, "vpn"},
        {"802-3-ethernet", 1, "ethernet"},
        {"802-11-wireless", 2, "wifi"},
        {"bridge", 13, "bridge"},  // not a profile type we name: the device type
        {"", 8, "modem"},
        {"tun", 16, "tun"},
        {"something-new", 99, "generic"},
        {"something-new", std::nullopt, ""},
    };
    for (const auto& c : kCases) {
        const std::string text = DeviceTypeText(c.connection, c.device);
        EXPECT_EQ(text, c.expected) << c.connection;
        EXPECT_LE(text.size(), RAS_MaxDeviceType);
    }
}

TEST(NmMappingTest, UserNameFromProfileSettings) {
    const struct {
        FlatSettings settings;
        const char* expected;
    } kCases[] = {
        {{{"connection.type", "gsm"}, {"gsm.username", "alice"}}, "alice"},
        {{{"connection.type", "cdma"}, {"cdma.username", "carol"}}, "carol"},
        {{{"connection.type", "pppoe"}, {"pppoe.username", "dsl@isp"}}, "dsl@isp"},
        // Bluetooth dial-up keeps the login in its gsm group.
        {{{"connection.type", "bluetooth"}, {"gsm.username", "dave"}}, "dave"},
        {{{"connection.type", "vpn"}, {"vpn.user-name", "eve"}, {"vpn.data.user", "x"}}, "eve"},
        {{{"connection.type", "vpn"}, {"vpn.data.user", "bob"}}, "bob"},
        {{{"connection.type", "vpn"}, {"vpn.data.username", "olga"}}, "olga"},
        {{{"connection.type", "vpn"}, {"vpn.data.Xauth username", "xa"}}, "xa"},
        {{{"connection.type", "802-11-wireless"}, {"802-1x.identity", "frank"}}, "frank"},
        // The profile's own type comes first.
        {{{"connection.type", "pppoe"}, {"gsm.username", "g"}, {"pppoe.username", "p"}}, "p"},
        {{{"connection.type", "gsm"}, {"gsm.username", ""}, {"802-1x.identity", "i"}}, "i"},
        {{{"connection.type", "802-3-ethernet"}}, ""},
        {{}, ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(UserNameOf(c.settings), c.expected);
    }
}

TEST(NmMappingTest, HandlesStayPutAndAreNeverReused) {
    HandleTable table;
    const HRASCONN a = table.Acquire("/ac/0", "uuid-a");
    const HRASCONN b = table.Acquire("/ac/1", "uuid-b");
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(table.Acquire("/ac/0", "uuid-a"), a);
    ASSERT_TRUE(table.Find(b));
    EXPECT_EQ(table.Find(b)->path, "/ac/1");

    // The same path for another activation: a new handle, and the old one is gone.
    const HRASCONN c = table.Acquire("/ac/0", "uuid-c");
    EXPECT_NE(c, a);
    EXPECT_FALSE(table.Find(a));

    table.Retain({"/ac/0"});
    EXPECT_FALSE(table.Find(b));
    EXPECT_EQ(table.Find(c)->uuid, "uuid-c");
    EXPECT_EQ(table.Size(), 1u);
    EXPECT_NE(table.Acquire("/ac/1", "uuid-b"), b);  // a forgotten handle is not handed out again
}

}  // namespace
}  // namespace ov::nm
