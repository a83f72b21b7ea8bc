// The phone-book entry list over the simulator (which has the phone-book functions) and over a
// service without them.
#include "sysint/ras_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ras/ras_sim.h"
#include "settings/registry_key.h"
#include "support/fake_ras.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

class RasLibraryTest : public ::testing::Test {
protected:
    test::TempHome m_home;
    SimRasProvider m_sim{m_home.File("ras-sim.state"), {}};
    RasApi m_api{m_sim};
};

std::vector<std::pair<std::string, HRASCONN>> Handles(const RasLibrary& library) {
    std::vector<std::pair<std::string, HRASCONN>> out;
    for (const auto& entry : library.Entries()) {
        out.emplace_back(entry->Name(), entry->Connection());
    }
    return out;
}

TEST_F(RasLibraryTest, LoadFillsTheListsTheSettingsUse) {
    ASSERT_EQ(m_sim.AddDevice("ISDN card", "isdn"), 0u);
    ASSERT_EQ(m_sim.AddEntry("Work", "ISDN card", ""), 0u);
    RasLibrary library(&m_api);
    EXPECT_TRUE(library.EntryNames().empty());  // nothing before Load
    ASSERT_TRUE(library.Load());
    EXPECT_EQ(library.Status(), kRasReady);
    EXPECT_EQ(library.DeviceNames(), (std::vector<std::string>{"Simulated Modem", "ISDN card"}));
    EXPECT_EQ(library.DeviceTypes(), (std::vector<std::string>{"modem", "isdn"}));
    EXPECT_EQ(library.EntryNames(), (std::vector<std::string>{"Demo ISP", "Work"}));
}

TEST_F(RasLibraryTest, StatusWithoutPhoneBookServiceOrDevice) {
    test::FakeRasProvider fake;  // connections only, no phone-book functions
    RasApi fakeApi(fake);
    RasLibrary withoutPhoneBook(&fakeApi);
    EXPECT_FALSE(withoutPhoneBook.Load());
    EXPECT_EQ(withoutPhoneBook.Status(), kRasNoLibrary);

    RasLibrary withoutService(nullptr);
    EXPECT_FALSE(withoutService.Load());
    EXPECT_EQ(withoutService.Status(), kRasNoLibrary);
    EXPECT_FALSE(withoutService.RefreshConnections());

    test::WriteFileOrDie(m_home.File("ras-sim.state"),
                         "orvanta-ras-sim 1\nnext-handle\t1\nentry\tLonely\t\t\n");
    RasLibrary withoutDevice(&m_api);
    EXPECT_FALSE(withoutDevice.Load());
    EXPECT_EQ(withoutDevice.Status(), kRasNoDevice);
    EXPECT_TRUE(withoutDevice.EntryNames().empty());
}

TEST_F(RasLibraryTest, RefreshAttachesCurrentHandlesAndClearsEndedOnes) {
    ASSERT_EQ(m_sim.AddEntry("Work", "", ""), 0u);
    RasLibrary library(&m_api);
    ASSERT_TRUE(library.Load());
    HRASCONN demo = 0, work = 0;
    ASSERT_EQ(m_sim.Dial("Demo ISP", RASCS_Connected, demo), 0u);
    ASSERT_EQ(m_sim.Dial("Work", RASCS_OpenPort, work), 0u);

    ASSERT_TRUE(library.RefreshConnections());
    EXPECT_EQ(Handles(library), (decltype(Handles(library)){{"Demo ISP", demo}, {"Work", work}}));

    ASSERT_EQ(m_sim.Drop("Demo ISP"), 0u);
    ASSERT_TRUE(library.RefreshConnections());
    EXPECT_EQ(Handles(library), (decltype(Handles(library)){{"Demo ISP", 0}, {"Work", work}}));

    // A connection of an entry the list does not hold yet adds the entry.
    ASSERT_EQ(m_sim.AddEntry("Late", "", ""), 0u);
    HRASCONN late = 0;
    ASSERT_EQ(m_sim.Dial("Late", RASCS_Connected, late), 0u);
    ASSERT_TRUE(library.RefreshConnections());
    EXPECT_EQ(Handles(library),
              (decltype(Handles(library)){{"Demo ISP", 0}, {"Work", work}, {"Late", late}}));

    ASSERT_EQ(m_sim.Fail(600, 1), 0u);
    EXPECT_FALSE(library.RefreshConnections());
}

TEST_F(RasLibraryTest, EntryOperations) {
    RasLibrary library(&m_api);
    ASSERT_TRUE(library.Load());
    RASENTRY properties{};
    CopyRasText(properties.szLocalPhoneNumber, "555 01");
    properties.ipaddrDns = {1, 1, 1, 1};

    EXPECT_FALSE(library.IsNewEntryName("demo isp"));
    EXPECT_FALSE(library.CreateEntry("DEMO ISP", properties));  // the name exists already
    EXPECT_FALSE(library.UpdateEntry("Nobody", properties));
    EXPECT_FALSE(library.DeleteEntry("Nobody"));

    ASSERT_TRUE(library.CreateEntry("Home", properties));
    EXPECT_EQ(properties.dwSize, 1768u);
    EXPECT_EQ(library.EntryNames(), (std::vector<std::string>{"Demo ISP", "Home"}));
    PhoneBookEntry* home = library.FindEntry("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_STREQ(home->Properties().szLocalPhoneNumber, "555 01");  // read on first use
    EXPECT_EQ(home->Properties().ipaddrDns, (RASIPADDR{1, 1, 1, 1}));

    CopyRasText(properties.szLocalPhoneNumber, "555 02");
    ASSERT_TRUE(library.UpdateEntry("home", properties));
    RASENTRY read{};
    ASSERT_TRUE(library.GetEntryProperties("Home", read));
    EXPECT_STREQ(read.szLocalPhoneNumber, "555 02");

    ASSERT_TRUE(library.DeleteEntry("Home"));
    EXPECT_TRUE(library.EntryExists("Home"));  // the list is refilled by its user
    EXPECT_FALSE(library.GetEntryProperties("Home", read));
    EXPECT_FALSE(library.DeleteEntry("Nobody"));
}

TEST_F(RasLibraryTest, StoredTextsOutliveTheListAndAreNotInPlainSight) {
    {
        RasLibrary library(&m_api);
        ASSERT_TRUE(library.Load());
        library.FindEntry("Demo ISP")->SetStoredText(0, "jane");
        library.FindEntry("Demo ISP")->SetStoredText(1, "secret\tword");
        library.EnumEntries();  // refilled: the entries go and store their texts
        EXPECT_EQ(library.FindEntry("Demo ISP")->StoredText(1), "secret\tword");
    }
    std::string stored;
    RegistryKey key(HKEY_CURRENT_USER, "Software\\Quorvex\\OVSetup\\Demo ISP");
    ASSERT_TRUE(key.ReadString("0002", stored));
    EXPECT_EQ(stored.find("secret"), std::string::npos);
    EXPECT_EQ(DecodeStoredText(stored), "secret\tword");

    RasLibrary again(&m_api);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.FindEntry("Demo ISP")->StoredText(0), "jane");
}

TEST(StoredTextTest, EncodingRoundTripsAndRejectsForeignText) {
    for (const std::string& text :
         std::vector<std::string>{"", "a", std::string("\0\xff\x80 z", 5), std::string(300, 'x')}) {
        const std::string encoded = EncodeStoredText(text);
        EXPECT_EQ(encoded.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(DecodeStoredText(encoded), text);
    }
    for (const char* foreign : {"abc", "zz", "AB"}) {
        EXPECT_FALSE(DecodeStoredText(foreign)) << foreign;
    }
}

TEST_F(RasLibraryTest, ControlPanelToolsStartWithTheirArgumentsOrNotAtAll) {
    RasLibrary library(&m_api);
    const std::string script = m_home.File("editor");
    const std::string marker = m_home.File("arguments");
    test::WriteFileOrDie(script, "#!/bin/sh\necho \"$@\" > " + marker + "\n");
    ASSERT_EQ(::chmod(script.c_str(), 0700), 0);
    library.SetControlPanelTools({{script, {"--create", "--type=gsm"}},
                                  {m_home.File("missing-editor"), {}},
                                  {"no-such-connection-editor", {}}});

    auto modem = library.AddModem(nullptr, kAddModemDone);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->ShowCommand(), kShowDefault);
    for (int i = 0; i < 200 && test::ReadFileOrEmpty(marker).empty(); ++i) {
        ::usleep(10000);
    }
    EXPECT_EQ(test::ReadFileOrEmpty(marker), "--create --type=gsm\n");
    EXPECT_EQ(library.InstallNetworking(nullptr, kInstallNetworkingDone), nullptr);
    EXPECT_EQ(library.AddNetworkComponent(nullptr, kAddNetworkComponentDone), nullptr);

    test::ScopedEnv noChoice("ORVANTA_CONNECTION_EDITOR", std::nullopt);
    const auto defaults = ControlPanelTools::Default();
    EXPECT_EQ(defaults.addModem.program, "nm-connection-editor");
    EXPECT_EQ(defaults.addNetworkComponent.arguments, (std::vector<std::string>{"--create"}));
}

}  // namespace
}  // namespace ov
