// Phone-book entries as NetworkManager profiles, against NetworkManager's mock on a private bus:
// through the RAS functions and through the program's entry list.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "mock_network_manager.h"
#include "platform/ras/nm/nm_ras_provider.h"
#include "platform/ras/ras.h"
#include "sysint/ras_library.h"

namespace ov {
namespace {

constexpr unsigned kModem = 8;
constexpr unsigned kEthernet = 1;
constexpr unsigned kWifi = 2;
constexpr unsigned kDisconnected = 30;

/// The entry the phone-book page writes.
RASENTRY PageEntry(std::uint32_t options, const char* number, const char* device,
                   RASIPADDR address = {}, RASIPADDR alternate = {}) {
    RASENTRY e{};
    e.dwSize = sizeof e;
    e.dwfOptions = options;
    e.dwCountryID = 1;
    e.dwfNetProtocols = 4;
    e.dwFramingProtocol = 1;
    CopyRasText(e.szAreaCode, "02");
    CopyRasText(e.szLocalPhoneNumber, number);
    CopyRasText(e.szDeviceType, "modem");
    CopyRasText(e.szDeviceName, device);
    e.ipaddr = e.ipaddrDns = address;
    e.ipaddrDnsAlt = alternate;
    return e;
}

/// The settings lines of a profile that start with one of `prefixes`.
std::vector<std::string> SettingsOf(test::MockNetworkManager& nm, const std::string& id,
                                    std::initializer_list<const char*> prefixes) {
    std::istringstream lines(nm.Drive({"settings", id}));
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);) {
        for (const char* prefix : prefixes) {
            if (line.rfind(prefix, 0) == 0) {
                out.push_back(line);
            }
        }
    }
    return out;
}

class NmPhoneBookTest : public testing::Test {
protected:
    void SetUp() override {
        m_nm.AddDevice("ttyUSB0", kModem, kDisconnected);
        m_nm.AddDevice("eth0", kEthernet, 100);
        m_nm.AddDevice("wlan0", kWifi, 100);
    }

    std::uint32_t Set(const char* name, const RASENTRY& entry) {
        return m_ras.RasSetEntryPropertiesA(nullptr, name, &entry, sizeof entry, nullptr, 0);
    }

    std::uint32_t Get(const char* name, RASENTRY& entry) {
        entry = {};
        entry.dwSize = sizeof entry;
        std::uint32_t size = sizeof entry;
        return m_ras.RasGetEntryPropertiesA(nullptr, name, &entry, &size, nullptr, nullptr);
    }

    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        EXPECT_EQ(m_provider.EnumEntries(names), ERROR_SUCCESS);
        std::sort(names.begin(), names.end());
        return names;
    }

    test::MockNetworkManager m_nm;
    NmRasProvider m_provider;
    RasApi m_ras{m_provider};
};

TEST_F(NmPhoneBookTest, CreatedUpdatedAndDeleted) {
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, "Mobile"), ERROR_SUCCESS);
    const RASENTRY created = PageEntry(0x2317, "*99#", "ttyUSB0", {10, 1, 2, 3}, {10, 1, 2, 4});
    ASSERT_EQ(Set("Mobile", created), ERROR_SUCCESS);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Mobile"});

    // On the bus as NetworkManager takes it: a modem profile that waits to be dialed, the
    // addresses as `u` in network byte order (10.1.2.3 is 0x0302010a on this machine).
    EXPECT_EQ(SettingsOf(m_nm, "Mobile",
                         {"connection.autoconnect", "connection.interface-name", "connection.type",
                          "ipv4.", "user.", "ppp.no-vj"}),
              (std::vector<std::string>{
                  "connection.autoconnect=b:False",
                  "connection.interface-name=s:ttyUSB0",
                  "connection.type=s:gsm",
                  "ipv4.address-data=aa{sv}:[{'address': '10.1.2.3', 'prefix': 32}]",
                  "ipv4.addresses=aau:[[50462986, 32, 0]]",
                  "ipv4.dns=au:[50462986, 67240202]",
                  "ipv4.ignore-auto-dns=b:True",
                  "ipv4.method=s:manual",
                  "ipv4.never-default=b:False",
                  "ppp.no-vj-comp=b:True",
                  "user.data=a{ss}:{'org.orvanta.area-code': '02', 'org.orvanta.country-id': "
                  "'1', 'org.orvanta.options': '8449', 'org.orvanta.phone-number': '*99#'}",
              }));

    RASENTRY read;
    ASSERT_EQ(Get("mobile", read), ERROR_SUCCESS);  // names compare without regard to case
    EXPECT_EQ(read.dwfOptions, 0x2317u);
    EXPECT_EQ(read.dwCountryID, 1u);
    EXPECT_STREQ(read.szAreaCode, "02");
    EXPECT_STREQ(read.szLocalPhoneNumber, "*99#");
    EXPECT_STREQ(read.szDeviceName, "ttyUSB0");
    EXPECT_STREQ(read.szDeviceType, "modem");
    EXPECT_EQ(read.ipaddr, (RASIPADDR{10, 1, 2, 3}));
    EXPECT_EQ(read.ipaddrDns, (RASIPADDR{10, 1, 2, 3}));
    EXPECT_EQ(read.ipaddrDnsAlt, (RASIPADDR{10, 1, 2, 4}));
    EXPECT_EQ(read.dwfNetProtocols, 4u);
    EXPECT_EQ(read.dwFramingProtocol, 1u);

    // Addresses assigned by the server again, another number.
    ASSERT_EQ(Set("Mobile", PageEntry(0x2311, "*99***1#", "ttyUSB0")), ERROR_SUCCESS);
    ASSERT_EQ(Get("Mobile", read), ERROR_SUCCESS);
    EXPECT_EQ(read.dwfOptions, 0x2311u);
    EXPECT_STREQ(read.szLocalPhoneNumber, "*99***1#");
    EXPECT_EQ(read.ipaddr, (RASIPADDR{}));
    EXPECT_EQ(read.ipaddrDnsAlt, (RASIPADDR{}));
    EXPECT_EQ(SettingsOf(m_nm, "Mobile", {"ipv4.method", "ipv4.dns="}),
              (std::vector<std::string>{"ipv4.dns=au:[]", "ipv4.method=s:auto"}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Mobile"});

    EXPECT_EQ(m_ras.RasDeleteEntryA(nullptr, "MOBILE"), ERROR_SUCCESS);
    EXPECT_EQ(Entries(), std::vector<std::string>{});
    EXPECT_EQ(m_ras.RasDeleteEntryA(nullptr, "Mobile"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(Get("Mobile", read), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(NmPhoneBookTest, NamesAndDevicesRefused) {
    m_nm.AddProfile("Home", "802-3-ethernet");
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, "Home"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, "HOME"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, ""), ERROR_INVALID_NAME);
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, "a\\b"), ERROR_INVALID_NAME);
    EXPECT_EQ(m_ras.RasValidateEntryNameA(nullptr, "Home 2"), ERROR_SUCCESS);

    EXPECT_EQ(Set("", PageEntry(0x2311, "1", "ttyUSB0")), ERROR_INVALID_NAME);
    EXPECT_EQ(Set("Nowhere", PageEntry(0x2311, "1", "ttyS9")), ERROR_DEVICE_DOES_NOT_EXIST);
    EXPECT_EQ(Set("Air", PageEntry(0x2311, "1", "wlan0")), ERROR_DEVICE_DOES_NOT_EXIST);
    // A cable is no call: not an entry by the default rule, but its name is taken all the same.
    EXPECT_EQ(Entries(), std::vector<std::string>{});

    // A DSL line on the Ethernet device would be a PPPoE profile, which NetworkManager takes
    // only with its user name: a new entry has none, so it is refused, naming what is missing.
    EXPECT_EQ(Set("DSL", PageEntry(0x2311, "1234", "eth0")), ERROR_PPPOE_USER_NAME_MISSING);
    EXPECT_NE(RasErrorText(ERROR_PPPOE_USER_NAME_MISSING).find("pppoe.username"),
              std::string::npos);
    EXPECT_EQ(Entries(), std::vector<std::string>{});

    // One made with its user name reads back and keeps it through an update, the number kept
    // as user data.
    m_nm.AddProfile("DSL", "pppoe", {"pppoe.username=dave", "connection.interface-name=eth0"});
    ASSERT_EQ(Set("DSL", PageEntry(0x2311, "1234", "eth0")), ERROR_SUCCESS);
    EXPECT_EQ(SettingsOf(m_nm, "DSL", {"connection.type", "pppoe.", "user."}),
              (std::vector<std::string>{
                  "connection.type=s:pppoe", "pppoe.username=s:dave",
                  "user.data=a{ss}:{'org.orvanta.area-code': '02', 'org.orvanta.country-id': "
                  "'1', 'org.orvanta.options': '8449', 'org.orvanta.phone-number': '1234'}"}));
    RASENTRY read;
    ASSERT_EQ(Get("DSL", read), ERROR_SUCCESS);
    EXPECT_STREQ(read.szLocalPhoneNumber, "1234");
    EXPECT_STREQ(read.szDeviceType, "pppoe");
    EXPECT_EQ(Entries(), std::vector<std::string>{"DSL"});
}

TEST_F(NmPhoneBookTest, ProfilesMadeElsewhereKeepTheirOwnSettings) {
    m_nm.AddProfile("Evdo", "cdma", {"cdma.number=#777", "cdma.username=carol"});
    m_nm.AddProfile("Mobile", "gsm",
                    {"gsm.apn=internet", "user.data.com.example.tag=keep", "connection.uuid=u-1"});

    RASENTRY read;
    ASSERT_EQ(Get("Evdo", read), ERROR_SUCCESS);
    EXPECT_STREQ(read.szLocalPhoneNumber, "#777");
    EXPECT_STREQ(read.szDeviceName, "");
    // NetworkManager's defaults: the default route and both compressions.
    EXPECT_EQ(read.dwfOptions,
              RASEO_RemoteDefaultGateway | RASEO_IpHeaderCompression | RASEO_SwCompression);

    CopyRasText(read.szLocalPhoneNumber, "#778");
    ASSERT_EQ(Set("Evdo", read), ERROR_SUCCESS);
    // Nothing that needs user data: the profile gets none.
    EXPECT_EQ(SettingsOf(m_nm, "Evdo", {"cdma.", "user."}),
              (std::vector<std::string>{"cdma.number=s:#778", "cdma.username=s:carol"}));

    ASSERT_EQ(Set("Mobile", PageEntry(0x2311, "*99#", "")), ERROR_SUCCESS);
    EXPECT_EQ(SettingsOf(m_nm, "Mobile", {"connection.uuid", "connection.id", "gsm.", "user."}),
              (std::vector<std::string>{
                  "connection.id=s:Mobile", "connection.uuid=s:u-1", "gsm.apn=s:internet",
                  "user.data=a{ss}:{'com.example.tag': 'keep', 'org.orvanta.area-code': '02', "
                  "'org.orvanta.country-id': '1', 'org.orvanta.options': '8449', "
                  "'org.orvanta.phone-number': '*99#'}"}));
}

TEST(NmRasLibraryTest, TheEntryListOverNetworkManager) {
    test::TempHome home;
    test::MockNetworkManager nm;
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    const auto mobile = nm.AddProfile("Mobile", "gsm", {"user.data.org.orvanta.area-code=02"});
    nm.AddProfile("Office VPN", "vpn");
    NmRasProvider provider;
    RasApi api(provider);
    RasLibrary library(&api);

    ASSERT_TRUE(library.Load());
    EXPECT_EQ(library.Status(), kRasReady);
    EXPECT_EQ(library.DeviceNames(), std::vector<std::string>{"ttyUSB0"});
    auto names = library.EntryNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Mobile", "Office VPN"}));

    PhoneBookEntry* entry = library.FindEntry("Mobile");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Properties().dwSize, sizeof(RASENTRY));
    EXPECT_STREQ(entry->Properties().szAreaCode, "02");
    EXPECT_STREQ(entry->Properties().szDeviceType, "modem");

    EXPECT_FALSE(library.IsNewEntryName("Mobile"));
    EXPECT_TRUE(library.IsNewEntryName("Second"));
    RASENTRY second = PageEntry(0x2311, "*99#", "ttyUSB0");
    ASSERT_TRUE(library.CreateEntry("Second", second));
    ASSERT_TRUE(library.EnumEntries());
    EXPECT_NE(library.FindEntry("Second"), nullptr);
    EXPECT_FALSE(library.IsNewEntryName("Second"));
    EXPECT_TRUE(library.DeleteEntry("Second"));
    EXPECT_TRUE(library.IsNewEntryName("Second"));

    // Connected: the entry list carries the connection's handle.
    nm.Activate(mobile, modem, "0", 2);
    ASSERT_TRUE(library.RefreshConnections());
    EXPECT_NE(library.FindEntry("Mobile")->Connection(), 0u);
    EXPECT_EQ(library.FindEntry("Office VPN")->Connection(), 0u);
}

}  // namespace
}  // namespace ov
