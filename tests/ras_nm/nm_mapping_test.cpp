#include "platform/ras/nm/nm_mapping.h"

#include <gtest/gtest.h>

#include <bit>

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
        {1, 40, RASCS_Authenticate},   // prepare: a dial attempt from here on
        {1, 50, RASCS_Authenticate},   // config
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

TEST(NmMappingTest, AHandleRebindsToTheSamePathsNewActivation) {
    HandleTable table;
    const HRASCONN kept = table.Acquire("/ac/1", "u-1");
    // After a restart the same activation is back under a new path, first with a new handle.
    const HRASCONN fresh = table.Acquire("/ac/7", "u-1");
    ASSERT_NE(fresh, kept);
    table.Rebind(kept, "/ac/7", "u-1");
    EXPECT_FALSE(table.Find(fresh));
    ASSERT_TRUE(table.Find(kept));
    EXPECT_EQ(table.Find(kept)->path, "/ac/7");
    EXPECT_EQ(table.Acquire("/ac/7", "u-1"), kept);
    EXPECT_EQ(table.Size(), 1u);
}

TEST(NmMappingTest, DialUpKindsAndMeteredDevices) {
    for (const char* type : {"gsm", "cdma", "pppoe", "adsl"}) {
        EXPECT_TRUE(IsDialUpKind(type)) << type;
    }
    for (const char* type : {"802-3-ethernet", "802-11-wireless", "loopback", "vpn", "generic"}) {
        EXPECT_FALSE(IsDialUpKind(type)) << type;
    }
    EXPECT_TRUE(IsDialUpKind("bluetooth", "dun"));
    EXPECT_FALSE(IsDialUpKind("bluetooth", "panu"));
    // NMMetered: unknown, yes, no, guess-yes, guess-no.
    const bool kMetered[] = {false, true, false, true, false};
    for (std::uint32_t value = 0; value < 5; ++value) {
        EXPECT_EQ(IsMeteredDevice(value), kMetered[value]) << value;
    }
}

TEST(NmMappingTest, WhichProfilesAreEntriesByEachRule) {
    const CallRule metered{};
    const CallRule dialUp{CallRule::Kind::DialUp, {}};
    const CallRule all{CallRule::Kind::AllButLoopback, {}};
    const CallRule listed{CallRule::Kind::Listed, {"home", "lo"}};
    const struct {
        const char* id;
        const char* type;
        const char* bluetooth;
        std::optional<std::int32_t> meteredSetting;
        bool metered, dialUp, all, listed;
    } kCases[] = {
        {"lo", "loopback", "", std::nullopt, false, false, false, false},
        {"Home", "802-3-ethernet", "", std::nullopt, false, false, true, true},
        {"Phone", "802-11-wireless", "", 1, true, false, true, false},
        {"Cafe", "802-11-wireless", "", 2, false, false, true, false},
        {"Mobile", "gsm", "", std::nullopt, true, true, true, false},
        {"BT", "bluetooth", "dun", std::nullopt, true, true, true, false},
        {"BT PAN", "bluetooth", "panu", std::nullopt, false, false, true, false},
        {"Office", "vpn", "", std::nullopt, true, true, true, false},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ProfileMayBeCall(metered, c.id, c.type, c.bluetooth, c.meteredSetting), c.metered)
            << c.id;
        EXPECT_EQ(ProfileMayBeCall(dialUp, c.id, c.type, c.bluetooth, c.meteredSetting), c.dialUp)
            << c.id;
        EXPECT_EQ(ProfileMayBeCall(all, c.id, c.type, c.bluetooth, c.meteredSetting), c.all)
            << c.id;
        EXPECT_EQ(ProfileMayBeCall(listed, c.id, c.type, c.bluetooth, c.meteredSetting), c.listed)
            << c.id;
    }
}

TEST(NmMappingTest, AddressesInNetworkByteOrder) {
    const RASIPADDR address{192, 168, 1, 20};
    const std::uint32_t value = NmAddressOf(address);
    // NetworkManager's `u` holds the bytes in address order in memory.
    EXPECT_EQ(value, std::endian::native == std::endian::little ? 0x1401a8c0u : 0xc0a80114u);
    EXPECT_EQ(RasAddressOf(value), address);
    EXPECT_EQ(DottedAddress(value), "192.168.1.20");

    const struct {
        const char* text;
        std::optional<RASIPADDR> expected;
    } kCases[] = {
        {"10.0.0.1", RASIPADDR{10, 0, 0, 1}},
        {"255.255.255.255", RASIPADDR{255, 255, 255, 255}},
        {"0.0.0.0", RASIPADDR{0, 0, 0, 0}},
        {"256.0.0.1", std::nullopt},
        {"10.0.0", std::nullopt},
        {"10.0.0.1.", std::nullopt},
        {"10..0.1", std::nullopt},
        {"10.0.0.0001", std::nullopt},
        {"fe80::1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : kCases) {
        const auto parsed = ParseDottedAddress(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(RasAddressOf(*parsed), *c.expected) << c.text;
        }
    }
}

TEST(NmMappingTest, PhoneBookErrorsByTheAnswer) {
    const struct {
        const char* name;
        std::uint32_t expected;
    } kCases[] = {
        {"org.freedesktop.NetworkManager.Settings.PermissionDenied", ERROR_ACCESS_DENIED},
        {"org.freedesktop.NetworkManager.Settings.ReadOnlyConnection", ERROR_ACCESS_DENIED},
        {"org.freedesktop.NetworkManager.PermissionDenied", ERROR_ACCESS_DENIED},
        {"org.freedesktop.NetworkManager.Settings.Connection.MissingProperty",
         ERROR_INVALID_PARAMETER},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidSetting",
         ERROR_INVALID_PARAMETER},
        {"org.freedesktop.NetworkManager.Settings.InvalidConnection", ERROR_INVALID_PARAMETER},
        {"org.freedesktop.DBus.Error.InvalidArgs", ERROR_INVALID_PARAMETER},
        {"org.freedesktop.NetworkManager.Settings.PermissionDeniedX", ERROR_CANNOT_OPEN_PHONEBOOK},
        {"org.freedesktop.DBus.Error.NoReply", ERROR_CANNOT_OPEN_PHONEBOOK},
        {"", ERROR_CANNOT_OPEN_PHONEBOOK},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(PhoneBookErrorOf(c.name), c.expected) << c.name;
    }
}

TEST(NmMappingTest, ProfileTypeOfANewEntryByDevice) {
    const struct {
        std::uint32_t device;
        std::uint32_t capabilities;
        const char* expected;
    } kCases[] = {
        {kDeviceTypeModem, kModemCapabilityGsm, "gsm"},
        {kDeviceTypeModem, kModemCapabilityCdma, "cdma"},
        {kDeviceTypeModem, kModemCapabilityCdma | kModemCapabilityLte, "gsm"},
        {kDeviceTypeModem, 0, "gsm"},  // capabilities unknown
        {kDeviceTypeEthernet, 0, "pppoe"},
        {kDeviceTypeAdsl, 0, "pppoe"},
        {2, 0, ""},  // Wi-Fi: nothing to dial
        {29, 0, ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ProfileTypeForDevice(c.device, c.capabilities), c.expected) << c.device;
    }
}

/// What the phone-book page writes: country 1, IP over PPP, its two option sets.
RasEntryProperties PageEntry(bool specific, const std::string& device) {
    RasEntryProperties p;
    p.options = specific ? 0x2317 : 0x2311;
    p.countryId = 1;
    p.areaCode = "02";
    p.phoneNumber = "*99#";
    p.deviceType = "modem";
    p.deviceName = device;
    p.ipAddress = p.dnsAddress = {10, 64, 64, 64};
    p.dnsAltAddress = {10, 64, 64, 65};
    p.netProtocols = kRasNetProtocolIp;
    p.framingProtocol = kRasFramingPpp;
    return p;
}

RasEntryProperties Options(std::uint32_t options) {
    RasEntryProperties p;
    p.options = options;
    return p;
}

TEST(NmMappingTest, EntryPropertiesIntoProfileSettings) {
    const std::uint32_t ip = NmAddressOf({10, 64, 64, 64});
    const std::uint32_t alt = NmAddressOf({10, 64, 64, 65});
    ProfileFields gsm{.id = "Mobile", .type = "gsm"};
    ProfileFields cdma{.id = "Evdo", .type = "cdma"};
    ProfileFields oldGsm{.id = "Old", .type = "gsm", .gsmNumber = "*99***1#"};
    ProfileFields manual{.id = "Fixed",
                         .type = "pppoe",
                         .ipv4Method = "manual",
                         .ipv4Addresses = {{ip, 24}, {alt, 24}},
                         .ipv4Dns = {alt}};
    ProfileFields foreign{.id = "Lan",
                          .type = "802-3-ethernet",
                          .userData = {{"com.example.tag", "keep"}},
                          .ipv4Method = "link-local"};

    const struct {
        const char* name;
        ProfileFields before;
        RasEntryProperties entry;
        ProfileFields expected;
    } kCases[] = {
        {"server-assigned gsm: number and area code as user data",
         gsm,
         PageEntry(false, "ttyUSB0"),
         {.id = "Mobile",
          .type = "gsm",
          .interfaceName = "ttyUSB0",
          .userData = {{kUserPhoneNumber, "*99#"},
                       {kUserAreaCode, "02"},
                       {kUserCountryId, "1"},
                       {kUserOptions, "8449"}},  // 0x2101: country codes, lights, logon
          .ipv4Method = "auto",
          .noVjComp = true}},  // the page's options have no header compression
        {"specific addresses on cdma: the number in the cdma setting",
         cdma,
         PageEntry(true, ""),
         {.id = "Evdo",
          .type = "cdma",
          .cdmaNumber = "*99#",
          .userData = {{kUserAreaCode, "02"}, {kUserCountryId, "1"}, {kUserOptions, "8449"}},
          .ipv4Method = "manual",
          .ipv4Addresses = {{ip, 32}},
          .ipv4Dns = {ip, alt},
          .ignoreAutoDns = true,
          .noVjComp = true}},
        {"a gsm profile that has a number keeps it there",
         oldGsm,
         PageEntry(false, ""),
         {.id = "Old",
          .type = "gsm",
          .gsmNumber = "*99#",
          .userData = {{kUserAreaCode, "02"}, {kUserCountryId, "1"}, {kUserOptions, "8449"}},
          .ipv4Method = "auto",
          .noVjComp = true}},
        {"the same first address keeps its prefix, and the others stay",
         manual,
         PageEntry(true, "eth0"),
         {.id = "Fixed",
          .type = "pppoe",
          .interfaceName = "eth0",
          .userData = {{kUserPhoneNumber, "*99#"},
                       {kUserAreaCode, "02"},
                       {kUserCountryId, "1"},
                       {kUserOptions, "8449"}},
          .ipv4Method = "manual",
          .ipv4Addresses = {{ip, 24}, {alt, 24}},
          .ipv4Dns = {ip, alt},
          .ignoreAutoDns = true,
          .noVjComp = true}},
        {"no flags: no default route, no compression, no name servers",
         manual,
         Options(RASEO_SpecificNameServers),
         {.id = "Fixed",
          .type = "pppoe",
          .ipv4Method = "auto",
          .neverDefault = true,
          .noVjComp = true,
          .noBsdComp = true,
          .noDeflate = true}},
        {"not PPP: compression has no setting and stays with the entry; other data is kept",
         foreign,
         Options(RASEO_SwCompression | RASEO_RemoteDefaultGateway),
         {.id = "Lan",
          .type = "802-3-ethernet",
          .userData = {{"com.example.tag", "keep"}, {kUserOptions, "512"}},
          .ipv4Method = "link-local"}},
    };
    for (const auto& c : kCases) {
        ProfileFields profile = c.before;
        ApplyEntryProperties(c.entry, profile);
        EXPECT_EQ(profile.interfaceName, c.expected.interfaceName) << c.name;
        EXPECT_EQ(profile.cdmaNumber, c.expected.cdmaNumber) << c.name;
        EXPECT_EQ(profile.gsmNumber, c.expected.gsmNumber) << c.name;
        EXPECT_EQ(profile.userData, c.expected.userData) << c.name;
        EXPECT_EQ(profile.ipv4Method, c.expected.ipv4Method) << c.name;
        EXPECT_EQ(profile.ipv4Addresses, c.expected.ipv4Addresses) << c.name;
        EXPECT_EQ(profile.ipv4Dns, c.expected.ipv4Dns) << c.name;
        EXPECT_EQ(profile.ignoreAutoDns, c.expected.ignoreAutoDns) << c.name;
        EXPECT_EQ(profile.neverDefault, c.expected.neverDefault) << c.name;
        EXPECT_EQ(profile.noVjComp, c.expected.noVjComp) << c.name;
        EXPECT_EQ(profile.noBsdComp, c.expected.noBsdComp) << c.name;
        EXPECT_EQ(profile.noDeflate, c.expected.noDeflate) << c.name;
        EXPECT_EQ(profile, c.expected) << c.name;
    }
}

TEST(NmMappingTest, EntryPropertiesReadBackFromProfileSettings) {
    // What the page writes reads back unchanged, whichever setting holds the number.
    for (const char* type : {"gsm", "cdma", "pppoe"}) {
        for (const bool specific : {false, true}) {
            ProfileFields profile{.id = "E", .type = type};
            RasEntryProperties entry = PageEntry(specific, "ttyUSB0");
            entry.deviceType = DeviceTypeText(type, std::nullopt);
            if (!specific) {
                // Addresses not in force have no place in the profile.
                entry.ipAddress = entry.dnsAddress = entry.dnsAltAddress = {};
            }
            ApplyEntryProperties(entry, profile);
            EXPECT_EQ(EntryPropertiesOf(profile), entry) << type << " " << specific;
        }
    }

    // A profile made elsewhere: NetworkManager's defaults read as the usual dial-up options.
    const struct {
        const char* name;
        ProfileFields profile;
        std::uint32_t options;
        std::uint32_t framing;
        std::uint32_t protocols;
    } kCases[] = {
        {"gsm with defaults",
         {.type = "gsm"},
         RASEO_RemoteDefaultGateway | RASEO_IpHeaderCompression | RASEO_SwCompression,
         kRasFramingPpp,
         kRasNetProtocolIp},
        {"one of the two compressions is still compression",
         {.type = "pppoe", .noVjComp = true, .noBsdComp = true},
         RASEO_RemoteDefaultGateway | RASEO_SwCompression,
         kRasFramingPpp,
         kRasNetProtocolIp},
        {"ethernet, never the default route, IPv4 off",
         {.type = "802-3-ethernet", .ipv4Method = "disabled", .neverDefault = true},
         0,
         0,
         0},
        {"manual without an address is not a specific address",
         {.type = "vpn", .ipv4Method = "manual"},
         RASEO_RemoteDefaultGateway,
         0,
         kRasNetProtocolIp},
        {"our option bits never claim what the settings say",
         {.type = "gsm",
          .userData = {{kUserOptions, "4294967295"}},
          .neverDefault = true,
          .noVjComp = true,
          .noBsdComp = true,
          .noDeflate = true},
         ~(RASEO_SpecificIpAddr | RASEO_SpecificNameServers | RASEO_RemoteDefaultGateway |
           RASEO_IpHeaderCompression | RASEO_SwCompression),
         kRasFramingPpp,
         kRasNetProtocolIp},
        {"damaged user data reads as nothing",
         {.type = "gsm",
          .userData = {{kUserOptions, "lots"}, {kUserCountryId, "-3"}},
          .noVjComp = true,
          .noBsdComp = true,
          .noDeflate = true},
         RASEO_RemoteDefaultGateway,
         kRasFramingPpp,
         kRasNetProtocolIp},
    };
    for (const auto& c : kCases) {
        const RasEntryProperties p = EntryPropertiesOf(c.profile);
        EXPECT_EQ(p.options, c.options) << c.name;
        EXPECT_EQ(p.framingProtocol, c.framing) << c.name;
        EXPECT_EQ(p.netProtocols, c.protocols) << c.name;
        EXPECT_EQ(p.countryId, 0u) << c.name;
    }
}

}  // namespace
}  // namespace ov::nm
