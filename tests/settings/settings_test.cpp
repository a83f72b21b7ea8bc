// Settings: defaults on a first start, loading and saving every group through the real hive
// files, the list rules, the position rules and the add operations.
#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/text_table_source.h"
#include "settings/registry_key.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

const FixedTextSource& Texts() {
    static const FixedTextSource texts({{3349, "Report#|#|Page #p"},
                                        {3352, "All users"},
                                        {3353, "All devices"},
                                        {3354, "All device types"},
                                        {3378, "All entries"}});
    return texts;
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string out;
    for (const int b : bytes) {
        out += static_cast<char>(b);
    }
    return out;
}

std::string NumberBytes(std::int32_t n) {
    const auto u = static_cast<std::uint32_t>(n);
    return Bytes({static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF),
                  static_cast<int>((u >> 16) & 0xFF), static_cast<int>(u >> 24)});
}

/// Inode and modification time: an atomic save always gives the hive a new inode.
std::pair<ino_t, std::string> FileIdentity(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return {0, {}};
    }
    return {st.st_ino, test::ReadFileOrEmpty(path)};
}

class SettingsTest : public ::testing::Test {
protected:
    /// Stores a raw value, creating the key, as another program or an older version would.
    static void Put(HKEY root, const std::string& path, const char* name, std::uint32_t type,
                    const std::string& bytes) {
        RegistryKey key(root, path);
        ASSERT_TRUE(key.Open(root, path, KEY_WRITE));
        ASSERT_EQ(RegSetValueExA(key.Handle(), name, 0, type,
                                 reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                 static_cast<std::uint32_t>(bytes.size())),
                  0u);
    }
    static void PutNumber(HKEY root, const std::string& path, const char* name, std::int32_t n) {
        Put(root, path, name, REG_DWORD, NumberBytes(n));
    }
    static void PutText(const std::string& path, const char* name, const std::string& text) {
        Put(HKEY_LOCAL_MACHINE, path, name, REG_SZ, text);
    }
    static std::string List(const char* name) { return std::string(kMainKey) + "\\" + name; }

    /// Settings loaded as at start-up, with the tariff file of the home.
    std::unique_ptr<Settings> Load(const ScreenMetrics* screen = nullptr) const {
        auto settings = std::make_unique<Settings>(Texts(), nullptr, screen);
        settings->TariffFile = m_home.Paths().tariffFile;
        settings->PickTariffForSystemLanguage();
        settings->Exchange(false);
        return settings;
    }

    test::TempHome m_home;
};

TEST_F(SettingsTest, FirstStartHasEveryDefaultAndTheFirstSaveCreatesTheKeys) {
    const auto settings = Load();
    EXPECT_EQ(settings->AutoOpen, 1);
    EXPECT_EQ(settings->CurrentTariff, Tariff{});
    EXPECT_EQ(settings->TariffFile, m_home.File("Prices.ini"));
    EXPECT_EQ(settings->Columns, (std::array<std::int32_t, 9>{1, 1, 1, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(settings->PrintHFont.FaceName(), "Times New Roman");
    EXPECT_EQ(settings->PrintHFont.lfHeight, -14);
    EXPECT_EQ(settings->PrintHFont.lfWeight, 700);
    EXPECT_EQ(settings->PrintTFont.lfHeight, -12);
    EXPECT_EQ(settings->PrintTFont.lfCharSet, 1);
    EXPECT_EQ(settings->EventFont.FaceName(), "Arial");
    EXPECT_EQ(settings->EventColors[kEventValueText], 0x61553u);
    EXPECT_EQ(settings->EventWndX, 1024 - 150);
    EXPECT_EQ(settings->EventWndY, 0);
    EXPECT_EQ(settings->HangUpTimeout, 10);
    EXPECT_EQ(settings->PosSprliter, -1);
    EXPECT_EQ(settings->WinPos, WindowPlacement{});
    EXPECT_TRUE(settings->Programs.empty());
    EXPECT_EQ(settings->Months.items,
              (std::vector<MonthItem>{{kMonthAll, 0, 0}, {kMonthSums, 0, 0}}));
    EXPECT_EQ(settings->Months.selected, 0);
    EXPECT_EQ(settings->ListUsers.items, std::vector<std::string>{"All users"});
    EXPECT_EQ(settings->ListDTypes.items, std::vector<std::string>{"All device types"});

    // The page record: fresh defaults with the settings' own over them.
    const PageRecord& page = settings->PrintPage;
    EXPECT_EQ(page.HeaderText(), "Report#|#|Page #p");
    EXPECT_EQ(page.FooterText(), "#d  #t#|#|Orvanta");
    EXPECT_EQ(page.headerFont.FaceName(), "Times New Roman");
    EXPECT_EQ(page.headerFont.lfHeight, 400);
    EXPECT_EQ(page.footerFont, page.headerFont);
    EXPECT_EQ(page.headerOn, 1);
    EXPECT_EQ(page.footerOn, 0);
    EXPECT_EQ((std::array{page.leftMargin, page.rightMargin, page.topMargin, page.bottomMargin,
                          page.headerPosition, page.footerPosition, page.metric}),
              (std::array{1500, 2000, 1500, 2500, 750, 1250, 1}));
    EXPECT_EQ((std::array<int, 7>{page.orientation, page.paperSize, page.paperHeight,
                                  page.paperWidth, page.copies, page.printQuality, page.duplex}),
              (std::array<int, 7>{2, 9, 20320, 28101, 1, -3, 1}));

    // Loading created nothing; saving creates both hives, and they load back unchanged.
    EXPECT_FALSE(std::filesystem::exists(m_home.File("machine.reg")));
    EXPECT_FALSE(std::filesystem::exists(m_home.File("user.reg")));
    settings->Exchange(true);
    EXPECT_TRUE(std::filesystem::exists(m_home.File("machine.reg")));
    EXPECT_TRUE(std::filesystem::exists(m_home.File("user.reg")));
    EXPECT_TRUE(RegistryKey(kProgramsKey).Exists());
    EXPECT_TRUE(RegistryKey(kTariffKey).Exists());
    EXPECT_EQ(static_cast<const SettingsValues&>(*Load()),
              static_cast<const SettingsValues&>(*settings));
}

TEST_F(SettingsTest, EveryGroupSurvivesASaveAndALoad) {
    const FixedScreenMetrics screen({1920, 1080});
    Settings saved(Texts(), nullptr, &screen);
    saved.TariffFile = m_home.Paths().tariffFile;
    saved.CurrentTariff.CurrCompany = "Telekom";
    saved.CurrentTariff.CountryID = 1051;
    saved.CurrentTariff.CurrDecName = 3;
    saved.CurrentTariff.SetBand(4, {1080, 479, 1.25f, 3});
    saved.AutoOpen = 0;
    saved.EventTotTime = 3600;
    saved.EventTotPrice = 12.5f;
    saved.EventUseNotification = 1;
    saved.EventType = 2;
    saved.EventValueType = 1;
    saved.EventPrice = 99.75f;
    saved.EventTime = 45;
    saved.Programs = {{"/usr/bin/mail", 0, 1}, {"browser", 2, 0}};
    saved.Months.items.push_back({kMonthOne, 11, 2023});
    saved.Months.selected = 2;
    saved.ListUsers.items.push_back("anna");
    saved.ListDNames.items.push_back("ttyUSB0");
    saved.ListDTypes.items.push_back("modem");
    saved.ListEntries.items = {"All entries", "Demo ISP", "Work"};
    saved.ListEntries.selected = 2;
    saved.Columns = {0, 1, 0, 1, 0, 1, 0, 1, 1};
    saved.PrintHCol = 0x0000FF;
    saved.PrintTFont = LogFont::Make("DejaVu Sans", -20, 400, 238);
    saved.PrintPage.SetFooterText("#p");
    saved.PrintPage.copies = 3;
    saved.ShowStartMon = 1;
    saved.PrintGraph = 1;
    saved.EventWndX = 1700;
    saved.EventWndY = 1000;
    saved.ShowEvnWnd = 0;
    saved.HideEvnWnd = 0;
    saved.HangUpAutomatically = 0;
    saved.HangUpTimeout = 30;
    saved.NotPromptHangUp = 1;
    saved.PosSprliter = 240;
    saved.WinPos.showCmd = 3;
    saved.WinPos.rcNormalPosition = {10, 20, 800, 600};
    saved.Exchange(true);

    const auto loaded = Load(&screen);
    EXPECT_EQ(static_cast<const SettingsValues&>(*loaded),
              static_cast<const SettingsValues&>(saved));
}

TEST_F(SettingsTest, TextListsLoadByTheirRules) {
    const struct {
        const char* name;
        std::int32_t count;
        std::vector<std::pair<const char*, std::string>> values;
        std::vector<std::string> expected;
    } cases[] = {
        // ListUsers is emptied first; the others keep what they held (their "all" item).
        {kListUsers, 1, {{"Str1", "ignored"}}, {"All users"}},
        {kListDNames, 1, {}, {"All devices"}},
        {kListUsers,
         4,
         {{"Str1", "anna"}, {"Str2", "bob"}, {"Str3", "anna"}},
         {"All users", "anna", "bob"}},
        {kListDTypes, 3, {{"Str1", "modem"}}, {"All device types", "modem", ""}},
        {kListEntries, 3, {{"Str1", "All entries"}, {"Str2", "ISP"}}, {"All entries", "ISP"}},
        {kListDNames,
         2,
         {{"Str1", "ttyS0"}, {"Str2", "beyond the count"}},
         {"All devices", "ttyS0"}},
    };
    for (const auto& c : cases) {
        test::TempHome home;
        PutNumber(HKEY_LOCAL_MACHINE, List(c.name), "Count", c.count);
        for (const auto& [name, text] : c.values) {
            PutText(List(c.name), name, text);
        }
        const auto settings = Load();
        const TextList* lists[] = {&settings->ListUsers, &settings->ListDNames,
                                   &settings->ListDTypes, &settings->ListEntries};
        const char* names[] = {kListUsers, kListDNames, kListDTypes, kListEntries};
        for (int i = 0; i < 4; ++i) {
            if (std::string(names[i]) == c.name) {
                EXPECT_EQ(lists[i]->items, c.expected) << c.name << " Count " << c.count;
            }
        }
    }
}

TEST_F(SettingsTest, AListWithoutItsCountStaysAsItWas) {
    PutText(List(kListUsers), "Str1", "anna");  // the key exists, its Count does not
    Settings settings(Texts());
    settings.ListUsers.items = {"earlier", "items"};
    settings.ExchangeList(kListUsers, settings.ListUsers, false, "All users", true);
    EXPECT_EQ(settings.ListUsers.items, (std::vector<std::string>{"earlier", "items"}));
}

TEST_F(SettingsTest, MonthItemsAndRecordsAreReadWithTheirCapacity) {
    PutNumber(HKEY_LOCAL_MACHINE, kMonthsKey, "Count", 4);
    Put(HKEY_LOCAL_MACHINE, kMonthsKey, "Dt_0", REG_BINARY, Bytes({2, 4, 0xE8, 0x07}));
    // Dt_1 missing: a zero item.
    Put(HKEY_LOCAL_MACHINE, kMonthsKey, "Dt_2", REG_BINARY, Bytes({2, 5, 0xE8, 0x07, 0}));
    Put(HKEY_LOCAL_MACHINE, kMonthsKey, "Dt_3", REG_BINARY, Bytes({2, 6}));
    // A record longer than its capacity is not read; the default stays.
    Put(HKEY_CURRENT_USER, kMainKey, "PrintPage", REG_BINARY, std::string(981, 'x'));
    Put(HKEY_LOCAL_MACHINE, kMainKey, "EventTotPrice", REG_BINARY, NumberBytes(1) + "x");
    const auto settings = Load();
    EXPECT_EQ(settings->Months.items,
              (std::vector<MonthItem>{
                  {kMonthOne, 4, 2024}, {kMonthAll, 0, 0}, {kMonthAll, 0, 0}, {kMonthOne, 6, 0}}));
    EXPECT_EQ(settings->PrintPage, Settings(Texts()).PrintPage);
    EXPECT_EQ(settings->EventTotPrice, 0.0f);
}

TEST_F(SettingsTest, ADamagedMonthCountLoadsABoundedList) {
    PutNumber(HKEY_LOCAL_MACHINE, kMonthsKey, "Count", INT32_MAX);
    EXPECT_EQ(Load()->Months.items.size(), static_cast<std::size_t>(kMaxStoredItems));
}

TEST_F(SettingsTest, StoredTextsWithoutTheirEndAreEndedWithinTheirFields) {
    Put(HKEY_CURRENT_USER, kMainKey, "PrintHFont", REG_BINARY,
        std::string(28, '\0') + std::string(32, 'F'));
    Put(HKEY_CURRENT_USER, kMainKey, "PrintPage", REG_BINARY, std::string(980, 'H'));
    const auto settings = Load();
    EXPECT_EQ(settings->PrintHFont.FaceName(), std::string(31, 'F'));
    EXPECT_EQ(settings->PrintPage.HeaderText(), std::string(399, 'H'));
    EXPECT_EQ(settings->PrintPage.FooterText(), std::string(399, 'H'));
    EXPECT_EQ(settings->PrintPage.footerFont.FaceName(), std::string(31, 'H'));
}

TEST_F(SettingsTest, ProgramsWithoutTheirKeyAreDropped) {
    const std::string programs = kProgramsKey;
    PutNumber(HKEY_LOCAL_MACHINE, programs, "Count", 3);
    PutText(programs + "\\Exe0", "Path", "/usr/bin/first");
    PutNumber(HKEY_LOCAL_MACHINE, programs + "\\Exe0", "Style", 2);
    PutText(programs + "\\Exe2", "Path", "third");  // Style and Exit missing: 1 and 0
    PutText(programs + "\\Exe3", "Path", "beyond the count");
    EXPECT_EQ(Load()->Programs,
              (std::vector<ProgramEntry>{{"/usr/bin/first", 2, 0}, {"third", 1, 0}}));
}

TEST_F(SettingsTest, AStoredSelectionOutsideItsListSelectsTheFirstItem) {
    PutNumber(HKEY_LOCAL_MACHINE, List(kListUsers), "Count", 4);
    for (const char* name : {"Str1", "Str2", "Str3"}) {
        PutText(List(kListUsers), name, name);
    }
    const struct {
        std::int32_t stored;
        int selected;
    } cases[] = {{7, 0}, {4, 0}, {3, 3}, {-1, 0}, {1, 1}};
    for (const auto& c : cases) {
        PutNumber(HKEY_CURRENT_USER, kMainKey, "PosUser", c.stored);
        PutNumber(HKEY_CURRENT_USER, kMainKey, "PosTime", c.stored);
        int hookCalls = 0;
        Settings settings(Texts());
        settings.SetPositionsLoadedHook([&] { ++hookCalls; });
        settings.Exchange(false);
        EXPECT_EQ(settings.ListUsers.items.size(), 4u);
        EXPECT_EQ(settings.ListUsers.selected, c.selected) << "PosUser " << c.stored;
        EXPECT_EQ(settings.Months.selected, c.stored == 1 ? 1 : 0) << "PosTime " << c.stored;
        EXPECT_EQ(hookCalls, 1);
    }
}

TEST_F(SettingsTest, ASelectionNotInItsListIsSavedAsMinusOne) {
    Settings settings(Texts());
    settings.ListDNames.selected = 5;
    settings.ExchangePositions(true);
    std::int32_t stored = 0;
    RegistryKey key(HKEY_CURRENT_USER, kMainKey);
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kMainKey, KEY_READ));
    ASSERT_TRUE(key.ReadNumber("PosDevName", stored));
    EXPECT_EQ(stored, -1);
}

TEST_F(SettingsTest, ALiveDisplayOffTheScreenIsMovedBackWhenLoaded) {
    const struct {
        ScreenSize screen;
        std::int32_t x, y;
        std::int32_t loadedX, loadedY;
    } cases[] = {
        {{1024, 768}, 5000, 100, 874, 100},  {{1024, 768}, 1004, 748, 1004, 748},
        {{1024, 768}, 1005, 749, 874, 0},    {{1920, 1080}, 1800, 1059, 1800, 1059},
        {{1920, 1080}, 1901, 1061, 1770, 0}, {{800, 600}, -50, -50, -50, -50},
    };
    for (const auto& c : cases) {
        PutNumber(HKEY_CURRENT_USER, kMainKey, "EventWndX", c.x);
        PutNumber(HKEY_CURRENT_USER, kMainKey, "EventWndY", c.y);
        const FixedScreenMetrics screen(c.screen);
        const auto settings = Load(&screen);
        EXPECT_EQ(settings->EventWndX, c.loadedX) << c.x << " on " << c.screen.width;
        EXPECT_EQ(settings->EventWndY, c.loadedY) << c.y << " on " << c.screen.height;
    }
}

// Without a screen (the headless monitor) a stored position is kept exactly, and saving it
// back changes nothing; only a missing one takes its default from a 1024 x 768 screen.
TEST_F(SettingsTest, WithoutAScreenTheLiveDisplayStaysWhereItWasStored) {
    PutNumber(HKEY_CURRENT_USER, kMainKey, "EventWndX", 1700);
    PutNumber(HKEY_CURRENT_USER, kMainKey, "EventWndY", 900);
    const auto settings = Load();
    EXPECT_EQ(settings->EventWndX, 1700);
    EXPECT_EQ(settings->EventWndY, 900);
    settings->ExchangeEvents(true);
    const auto again = Load();
    EXPECT_EQ(again->EventWndX, 1700);
    EXPECT_EQ(again->EventWndY, 900);
}

TEST_F(SettingsTest, AddingWhatIsListedSavesNothing) {
    Settings settings(Texts());
    settings.Exchange(true);
    const std::string machine = m_home.File("machine.reg");
    auto before = FileIdentity(machine);

    EXPECT_FALSE(settings.AddMonth(0, 0));  // month and year of the kind-0 item
    EXPECT_FALSE(settings.AddUser("All users"));
    EXPECT_EQ(FileIdentity(machine), before);

    EXPECT_TRUE(settings.AddMonth(2024, 2));
    EXPECT_TRUE(settings.AddUser("anna"));
    EXPECT_TRUE(settings.AddDeviceName("ttyUSB0"));
    EXPECT_TRUE(settings.AddEntry("Demo ISP"));
    EXPECT_TRUE(settings.AddDeviceType("modem"));
    EXPECT_NE(FileIdentity(machine), before);
    before = FileIdentity(machine);

    EXPECT_FALSE(settings.AddMonth(2024, 2));
    EXPECT_FALSE(settings.AddUser("anna"));
    EXPECT_FALSE(settings.AddEntry("Demo ISP"));
    EXPECT_EQ(FileIdentity(machine), before);
    // Texts compare exactly: another case is another user.
    EXPECT_TRUE(settings.AddUser("Anna"));

    const auto loaded = Load();
    EXPECT_EQ(loaded->Months.items.back(), (MonthItem{kMonthOne, 2, 2024}));
    EXPECT_EQ(loaded->ListUsers.items, (std::vector<std::string>{"All users", "anna", "Anna"}));
    EXPECT_EQ(loaded->ListDNames.items, (std::vector<std::string>{"All devices", "ttyUSB0"}));
    EXPECT_EQ(loaded->ListEntries.items, (std::vector<std::string>{"All entries", "Demo ISP"}));
    EXPECT_EQ(loaded->ListDTypes.items, (std::vector<std::string>{"All device types", "modem"}));
}

TEST_F(SettingsTest, CopyKeepsEverySettingAndSelectsByIndex) {
    Settings source(Texts());
    source.CurrentTariff.CurrShort = "EUR";
    source.HangUpTimeout = 25;
    source.PrintPage.copies = 2;
    source.Programs = {{"mail", 1, 1}};
    source.ListUsers.items = {"All users", "anna", "bob"};
    source.ListUsers.selected = 2;
    source.Months.selected = 9;  // not in its list: the copy selects item 0
    Settings copy(Texts());
    copy.ListEntries.items.push_back("gone after the copy");
    copy.ListEntries.selected = 1;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.ListUsers.selected, 2);
    EXPECT_EQ(copy.Months.selected, 0);
    EXPECT_EQ(copy.ListEntries.selected, 0);
    copy.Months.selected = source.Months.selected;
    EXPECT_EQ(static_cast<const SettingsValues&>(copy), static_cast<const SettingsValues&>(source));
}

class FakePhoneBook : public PhoneBookLists {
public:
    explicit FakePhoneBook(int status) : m_status(status) {}
    int Status() const override { return m_status; }
    std::vector<std::string> DeviceNames() const override { return {"ttyUSB0", "ttyUSB0"}; }
    std::vector<std::string> DeviceTypes() const override { return {"modem"}; }
    std::vector<std::string> EntryNames() const override { return {"Demo ISP", "Work"}; }

private:
    int m_status;
};

TEST_F(SettingsTest, AReachablePhoneBookFillsAndSavesTheDefaultLists) {
    const FakePhoneBook unreachable(1);
    const Settings none(Texts(), &unreachable);
    EXPECT_EQ(none.ListDNames.items, std::vector<std::string>{"All devices"});
    EXPECT_FALSE(std::filesystem::exists(m_home.File("machine.reg")));

    const FakePhoneBook phoneBook(0);
    const Settings settings(Texts(), &phoneBook);
    EXPECT_EQ(settings.ListDNames.items, (std::vector<std::string>{"All devices", "ttyUSB0"}));
    EXPECT_EQ(settings.ListDTypes.items, (std::vector<std::string>{"All device types", "modem"}));
    EXPECT_EQ(settings.ListEntries.items,
              (std::vector<std::string>{"All entries", "Demo ISP", "Work"}));
    EXPECT_EQ(Load()->ListEntries.items, settings.ListEntries.items);
}

class TariffPickTest : public SettingsTest {
protected:
    void WriteLibrary() {
        test::WriteFileOrDie(m_home.File("Prices.ini"),
                             "English,1033,Pound,GBP,0\n"
                             "00:00,23:59,9.00,1;00:00,23:59,0.00,1\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n"
                             "Slovak,1051,Euro,EUR,1\r\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
                             "08:00,17:59,2.00,1;18:00,07:59,1.00,3\r\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n");
    }
    test::ScopedEnv m_all{"LC_ALL", std::nullopt};
    test::ScopedEnv m_messages{"LC_MESSAGES", std::nullopt};
};

TEST_F(TariffPickTest, TheSystemLanguageChoosesTheTariffAndTheRegistryWins) {
    WriteLibrary();
    {
        test::ScopedEnv lang("LANG", "sk_SK.UTF-8");
        Settings settings(Texts());
        settings.TariffFile = m_home.Paths().tariffFile;
        settings.PickTariffForSystemLanguage();
        EXPECT_EQ(settings.CurrentTariff.CurrCompany, "Slovak");
        EXPECT_EQ(settings.CurrentTariff.CountryID, 1051);
        EXPECT_EQ(settings.CurrentTariff.CurrAfterNum, 1);
        EXPECT_EQ(settings.CurrentTariff.TimeFrom[3], 480);
        EXPECT_EQ(settings.CurrentTariff.TimeTo[4], 479);
        EXPECT_EQ(settings.CurrentTariff.Price[3], 2.0f);
        EXPECT_EQ(settings.CurrentTariff.Minuts[4], 3);
    }
    {
        test::ScopedEnv lang("LANG", "de_DE.UTF-8");
        Settings settings(Texts());
        settings.TariffFile = m_home.Paths().tariffFile;
        settings.PickTariffForSystemLanguage();
        EXPECT_EQ(settings.CurrentTariff, Tariff{});
    }
    test::ScopedEnv lang("LANG", "sk_SK.UTF-8");
    Put(HKEY_LOCAL_MACHINE, kMainKey, "CurrShort", REG_SZ, "Sk");
    const auto settings = Load();
    EXPECT_EQ(settings->CurrentTariff.CurrCompany, "Slovak");
    EXPECT_EQ(settings->CurrentTariff.CurrShort, "Sk");
}

}  // namespace
}  // namespace ov
