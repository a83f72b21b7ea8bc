// The call list beneath its window: filter, cell texts, loading from month files, records
// logged while it is open, sorting and the text export. Runs in Bratislava time.
#include "viewer/call_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "app/text_table_source.h"
#include "calllog/call_log_file.h"
#include "platform/file_util.h"
#include "settings/registry_key.h"
#include "support/bratislava_time.h"
#include "support/month_files.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

const FixedTextSource& Texts() {
    static const FixedTextSource texts({
        {3303, "January"},
        {3304, "February"},
        {3305, "March"},
        {3306, "April"},
        {3307, "May"},
        {3310, "August"},
        {3314, "December"},
        {3350, "All months"},
        {3351, "Month sums"},
        {3352, "All users"},
        {3353, "All devices"},
        {3354, "All device types"},
        {3378, "All entries"},
        {3356, "Kind"},
        {3364, "Start"},
        {3376, "Time online"},
        {3377, "Time dialing"},
        {3361, "Price"},
        {3367, "User"},
        {3368, "Entry"},
        {3369, "Device name"},
        {3370, "Device type"},
        {3365, "Connected"},
        {3371, "Not connected"},
        {3372, "Month sum"},
        {3373, "Monitor started"},
        {3374, "Monitor stopped"},
    });
    return texts;
}

CallRecord Call(std::int32_t kind, Time32 start, std::int32_t connected, std::int32_t dialing,
                float price, std::string user = "jane", std::string entry = "Demo ISP",
                std::string deviceName = "ttyUSB0", std::string deviceType = "modem") {
    CallRecord r;
    r.kind = kind;
    r.startTime = start;
    r.connectedSeconds = connected;
    r.dialingSeconds = dialing;
    r.price = price;
    r.userName = std::move(user);
    if (kind != KindMonitorStart && kind != KindMonitorStop) {
        r.entryName = std::move(entry);
        r.deviceName = std::move(deviceName);
        r.deviceType = std::move(deviceType);
    }
    return r;
}

class CallListTest : public test::BratislavaTime {
protected:
    CallListTest() { EnsureFolder(m_folder); }

    /// Appends records to the month file of `year`, `month` (1-12).
    void Log(int year, int month, const std::vector<CallRecord>& records) {
        test::AppendToMonthFile(m_folder, year, month, records);
    }

    CallList& List() {
        if (!m_list) {
            m_list.emplace(m_settings, Texts(), m_folder, m_clock);
        }
        return *m_list;
    }

    /// The cell texts of column `id` in row order.
    std::vector<std::string> Column(int id) {
        std::vector<std::string> out;
        for (const auto index : List().RowOrder()) {
            const CallRow row = List().Row(index);
            out.push_back(List().CellText(id, &row));
        }
        return out;
    }

    /// Selects the month item {kind, month, year}, adding it to the list first.
    void SelectMonth(std::uint8_t kind, int month = 0, int year = 0) {
        m_settings.Months.items.push_back(
            MonthItem{kind, static_cast<std::uint8_t>(month), static_cast<std::int16_t>(year)});
        List().Filter().Select(FilterListId::Months,
                               static_cast<int>(m_settings.Months.items.size() - 1));
    }

    void SelectText(FilterListId id, TextList& list, const std::string& text) {
        list.items.push_back(text);
        List().Filter().Select(id, static_cast<int>(list.items.size() - 1));
    }

    test::TempHome m_home;
    std::string m_folder = m_home.File("LogData");
    ManualClock m_clock{Local(2024, 5, 10)};
    Settings m_settings{Texts()};
    std::optional<CallList> m_list;
};

TEST_F(CallListTest, VisibleColumnsAlwaysStartWithTheKindColumn) {
    const struct {
        std::array<std::int32_t, 9> flags;
        std::vector<std::int16_t> visible;
    } cases[] = {
        {{1, 1, 1, 0, 1, 0, 1, 0, 0}, {0, 1, 2, 4, 6}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 8}},
        {{1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, {0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VisibleColumnsFrom(c.flags), c.visible);
    }
}

TEST_F(CallListTest, CellTextsPerColumnAndKind) {
    const Time32 march = Local(2024, 3, 1, 9, 5, 7);
    const CallRecord connected = Call(KindConnected, march, 3725, 25, 12.5f);
    CallRecord line = Call(KindMonthSum, march, 360000, 61, 3.0f, "ignored");
    const CallRecord marker = Call(KindMonitorStart, march, 0, 0, 0.0f, "root");
    CallRecord zero = connected;
    zero.startTime = 0;
    CallRecord damaged = connected;
    damaged.kind = 7;
    const struct {
        const CallRecord* record;
        std::array<const char*, 9> cells;
    } cases[] = {
        {&connected,
         {"Connected", "01.03.2024  09:05:07", "01:02:05", "00:00:25", "$12.50", "jane", "Demo ISP",
          "ttyUSB0", "modem"}},
        {&line,
         {"Month sum", "2024 March", "100:00:00", "00:01:01", "$3.00", "", "Demo ISP", "ttyUSB0",
          "modem"}},
        {&marker, {"Monitor started", "01.03.2024  09:05:07", "", "", "", "root", "", "", ""}},
        {&zero,
         {"Connected", "00.00.0000  00:00:00", "01:02:05", "00:00:25", "$12.50", "jane", "Demo ISP",
          "ttyUSB0", "modem"}},
        {&damaged,
         {"", "01.03.2024  09:05:07", "01:02:05", "00:00:25", "$12.50", "jane", "Demo ISP",
          "ttyUSB0", "modem"}},
    };
    for (const auto& c : cases) {
        const CallRow row = RowOf(*c.record);
        for (int id = 0; id < kColumnCount; ++id) {
            EXPECT_EQ(List().CellText(id, &row), c.cells[static_cast<std::size_t>(id)])
                << "kind " << c.record->kind << " column " << id;
        }
    }
    EXPECT_EQ(List().CellText(ColConnected, nullptr), "Time online");
    EXPECT_EQ(List().CellText(ColDeviceType, nullptr), "Device type");
}

TEST_F(CallListTest, AcceptanceTestFollowsKindsAndSelections) {
    const Time32 march = Local(2024, 3, 15);
    const CallRecord call = Call(KindConnected, march, 60, 5, 1.0f);
    const CallRecord unconnected = Call(KindUnconnected, march, 0, 30, 0.0f);
    const CallRecord start = Call(KindMonitorStart, march, 0, 0, 0.0f);
    const CallRecord line = Call(KindMonthSum, march, 60, 5, 1.0f);
    CallFilter& filter = List().Filter();
    EXPECT_TRUE(filter.Accepts(call));
    EXPECT_TRUE(filter.Accepts(unconnected));
    EXPECT_FALSE(filter.Accepts(start));  // markers hidden by default
    EXPECT_FALSE(filter.Accepts(line));   // month lines are never read
    m_settings.ShowStartMon = 1;
    m_settings.ShowDiscEvnt = 0;
    EXPECT_TRUE(filter.Accepts(start));
    EXPECT_FALSE(filter.Accepts(unconnected));

    SelectText(FilterListId::Users, m_settings.ListUsers, "jane");
    EXPECT_FALSE(filter.allUsers);
    EXPECT_TRUE(filter.Accepts(call));
    EXPECT_FALSE(filter.Accepts(Call(KindConnected, march, 1, 1, 1.0f, "Jane")));  // exact case

    SelectMonth(kMonthOne, 2, 2024);
    EXPECT_FALSE(filter.allMonths || filter.monthSums);
    EXPECT_TRUE(filter.Accepts(call));
    EXPECT_FALSE(filter.Accepts(Call(KindConnected, Local(2024, 4, 1, 0, 0, 0), 1, 1, 1.0f)));

    // Markers have no entry or device: any such selection hides them.
    for (const auto id :
         {FilterListId::Entries, FilterListId::DeviceNames, FilterListId::DeviceTypes}) {
        m_settings.ListEntries.selected = m_settings.ListDNames.selected =
            m_settings.ListDTypes.selected = 0;
        filter.Recompute();
        ASSERT_TRUE(filter.Accepts(start));
        TextList& list = id == FilterListId::Entries       ? m_settings.ListEntries
                         : id == FilterListId::DeviceNames ? m_settings.ListDNames
                                                           : m_settings.ListDTypes;
        SelectText(id, list,
                   id == FilterListId::Entries       ? "Demo ISP"
                   : id == FilterListId::DeviceNames ? "ttyUSB0"
                                                     : "modem");
        EXPECT_FALSE(filter.Accepts(start));
        EXPECT_TRUE(filter.Accepts(call));
    }
}

TEST_F(CallListTest, AllMonthsLoadsEveryLoggedMonthOldestFirst) {
    Log(1998, 7, {Call(KindConnected, Local(1998, 7, 31), 1, 1, 1.0f)});  // before the log began
    Log(1998, 8, {Call(KindConnected, Local(1998, 8, 1), 10, 1, 1.0f)});
    Log(2024, 5,
        {Call(KindMonitorStart, Local(2024, 5, 1), 0, 0, 0.0f),
         Call(KindUnconnected, Local(2024, 5, 2), 0, 30, 0.25f)});
    Log(2024, 2, {Call(KindConnected, Local(2024, 2, 3), 20, 2, 2.0f)});
    Log(2024, 6, {Call(KindConnected, Local(2024, 6, 1), 1, 1, 1.0f)});  // after the clock's month
    List().Reload();
    EXPECT_EQ(Column(ColStart),
              (std::vector<std::string>{"01.08.1998  12:00:00", "03.02.2024  12:00:00",
                                        "02.05.2024  12:00:00"}));
    EXPECT_EQ(List().Totals().count, 2);
    EXPECT_EQ(List().Totals().first, Local(1998, 8, 1));
    EXPECT_EQ(List().Totals().last, Local(2024, 5, 2));
    EXPECT_FLOAT_EQ(List().Totals().price, 3.25f);
}

TEST_F(CallListTest, AMonthFileThatIsALinkIsNotRead) {
    Log(2024, 2, {Call(KindConnected, Local(2024, 2, 3), 20, 2, 2.0f)});
    // A month file planted as a link to another file, as the writer would refuse it.
    test::WriteFileOrDie(m_home.File("elsewhere.ovl"),
                         EncodeCallRecord(Call(KindConnected, Local(2024, 3, 3), 5, 1, 9.0f)));
    ASSERT_EQ(
        ::symlink(m_home.File("elsewhere.ovl").c_str(), MonthFilePath(m_folder, 2024, 3).c_str()),
        0);
    List().Reload();
    EXPECT_EQ(Column(ColStart), (std::vector<std::string>{"03.02.2024  12:00:00"}));
    // Said once, by name; the months with no file at all are no news.
    EXPECT_EQ(List().SkippedFiles(), (std::vector<std::string>{MonthFilePath(m_folder, 2024, 3) +
                                                               ": a symbolic link, not followed"}));
}

TEST_F(CallListTest, MonthSumsShowOneLinePerMonthWithAcceptedCalls) {
    Log(2024, 1, {Call(KindMonitorStart, Local(2024, 1, 2), 0, 0, 0.0f)});  // nothing accepted
    Log(2024, 3,
        {Call(KindConnected, Local(2024, 3, 4), 100, 10, 1.5f),
         Call(KindUnconnected, Local(2024, 3, 9), 0, 20, 0.5f, "bob")});
    Log(2023, 12, {Call(KindConnected, Local(2023, 12, 31), 3600, 5, 4.0f)});
    SelectMonth(kMonthSums);
    List().Reload();
    ASSERT_EQ(List().Count(), 2u);
    EXPECT_EQ(Column(ColKind), (std::vector<std::string>{"Month sum", "Month sum"}));
    EXPECT_EQ(Column(ColStart), (std::vector<std::string>{"2023 December", "2024 March"}));
    EXPECT_EQ(Column(ColUser), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Column(ColConnected), (std::vector<std::string>{"01:00:00", "00:01:40"}));
    EXPECT_EQ(Column(ColDialing), (std::vector<std::string>{"00:00:05", "00:00:30"}));
    EXPECT_EQ(Column(ColPrice), (std::vector<std::string>{"$4.00", "$2.00"}));
    EXPECT_EQ(List().Record(1).startTime, Local(2024, 3, 4));
    EXPECT_EQ(List().Totals().count, 2);
}

TEST_F(CallListTest, SingleMonthAndADamagedRecordHidingTheRestOfItsFile) {
    Log(2024, 3, {Call(KindConnected, Local(2024, 3, 1), 1, 0, 1.0f)});
    std::string bytes = test::ReadFileOrEmpty(MonthFilePath(m_folder, 2024, 3));
    std::string damaged = EncodeCallRecord(Call(KindConnected, Local(2024, 3, 2), 2, 0, 1.0f));
    damaged[kCallRecordFixedSize] = '\xff';  // a user name length no record has
    bytes += damaged + EncodeCallRecord(Call(KindConnected, Local(2024, 3, 3), 3, 0, 1.0f));
    test::WriteFileOrDie(MonthFilePath(m_folder, 2024, 3), bytes);
    Log(2024, 4, {Call(KindConnected, Local(2024, 4, 1), 4, 0, 1.0f)});
    SelectMonth(kMonthOne, 2, 2024);
    List().Reload();
    EXPECT_EQ(Column(ColConnected), (std::vector<std::string>{"00:00:01"}));
    SelectMonth(kMonthOne, 3, 2024);
    List().Reload();
    EXPECT_EQ(Column(ColConnected), (std::vector<std::string>{"00:00:04"}));
    SelectMonth(kMonthOne, 4, 2024);  // no file
    List().Reload();
    EXPECT_EQ(List().Count(), 0u);
    EXPECT_EQ(List().Totals(), CallTotals{});
}

TEST_F(CallListTest, RecordsLoggedWhileOpenJoinTheListAndItsSums) {
    Log(2024, 4, {Call(KindConnected, Local(2024, 4, 1), 10, 1, 1.0f)});
    int shown = 0;
    CallListHooks hooks;
    hooks.showTotals = [&](const CallTotals&) { ++shown; };
    List().SetHooks(hooks);
    List().Reload();
    List().AddNewRecord(Call(KindConnected, Local(2024, 5, 1), 20, 2, 2.0f), true);
    List().AddNewRecord(Call(KindMonitorStop, Local(2024, 5, 1), 0, 0, 0.0f), true);  // hidden
    List().AddNewRecord(Call(KindUnconnected, Local(2024, 5, 2), 0, 5, 0.5f), false);
    EXPECT_EQ(Column(ColConnected), (std::vector<std::string>{"00:00:10", "00:00:20", "00:00:00"}));
    EXPECT_EQ(List().Totals().count, 2);
    EXPECT_FLOAT_EQ(List().Totals().price, 3.5f);
    EXPECT_EQ(shown, 2);  // the reload and the first record
}

TEST_F(CallListTest, MonthSumsGiveACallOfANewMonthItsOwnLine) {
    SelectMonth(kMonthSums);
    List().Reload();
    // Even the first call of an empty list gets a line.
    List().AddNewRecord(Call(KindConnected, Local(2024, 4, 30, 23), 10, 1, 1.0f), true);
    List().AddNewRecord(Call(KindConnected, Local(2024, 4, 30, 23, 30), 20, 2, 2.0f), true);
    List().AddNewRecord(Call(KindConnected, Local(2024, 5, 1, 0, 10), 40, 4, 4.0f), true);
    EXPECT_EQ(Column(ColStart), (std::vector<std::string>{"2024 April", "2024 May"}));
    EXPECT_EQ(Column(ColConnected), (std::vector<std::string>{"00:00:30", "00:00:40"}));
    EXPECT_EQ(Column(ColPrice), (std::vector<std::string>{"$3.00", "$4.00"}));
    EXPECT_EQ(List().Totals().count, 3);
    // The next reload gives the same lines from the files.
    Log(2024, 4,
        {Call(KindConnected, Local(2024, 4, 30, 23), 10, 1, 1.0f),
         Call(KindConnected, Local(2024, 4, 30, 23, 30), 20, 2, 2.0f)});
    Log(2024, 5, {Call(KindConnected, Local(2024, 5, 1, 0, 10), 40, 4, 4.0f)});
    const std::string before = List().ExportText();
    List().Reload();
    EXPECT_EQ(List().ExportText(), before);
}

// With the marks shown, a mark logged in month-sums mode makes no line of its own, as a
// reload makes none; a new month gets its line only for a call.
TEST_F(CallListTest, MonthSumsMakeNoLineForAMark) {
    m_settings.ShowStartMon = 1;
    m_settings.ShowStopMon = 1;
    SelectMonth(kMonthSums);
    List().Reload();
    int appended = 0;
    CallListHooks hooks;
    hooks.rowsAppended = [&] { ++appended; };
    List().SetHooks(hooks);
    List().AddNewRecord(Call(KindMonitorStart, Local(2024, 4, 30, 22), 0, 0, 0.0f), true);
    EXPECT_EQ(List().Count(), 0u);
    List().AddNewRecord(Call(KindConnected, Local(2024, 4, 30, 23), 10, 1, 1.0f), true);
    List().AddNewRecord(Call(KindMonitorStop, Local(2024, 5, 1, 0, 5), 0, 0, 0.0f), true);
    EXPECT_EQ(Column(ColStart), std::vector<std::string>{"2024 April"});
    EXPECT_EQ(appended, 1);

    Log(2024, 4,
        {Call(KindMonitorStart, Local(2024, 4, 30, 22), 0, 0, 0.0f),
         Call(KindConnected, Local(2024, 4, 30, 23), 10, 1, 1.0f)});
    Log(2024, 5, {Call(KindMonitorStop, Local(2024, 5, 1, 0, 5), 0, 0, 0.0f)});
    const std::string before = List().ExportText();
    List().Reload();
    EXPECT_EQ(List().ExportText(), before);
}

TEST_F(CallListTest, SortingTogglesAndKeepsTheLoadOrderOfTheRecords) {
    m_settings.ShowStartMon = 1;
    Log(2024, 5,
        {Call(KindConnected, Local(2024, 5, 1), 10, 0, 2.0f, "u", "beta"),
         Call(KindMonitorStart, Local(2024, 5, 2), 0, 0, 0.0f),
         Call(KindConnected, Local(2024, 5, 3), 30, 0, 0.5f, "u", "Alpha"),
         Call(KindConnected, Local(2024, 5, 4), 20, 0, 1.0f, "u", "alpha2")});
    List().Reload();
    const std::string loadOrder = List().ExportText();
    const int price = 3;  // list column of ColPrice with the default columns
    const int entry = 4;
    ASSERT_EQ(List().VisibleColumns()[price], ColPrice);
    const struct {
        int column;
        bool ascending;
        std::vector<std::uint32_t> rows;
    } clicks[] = {
        {price, true, {1, 2, 3, 0}},  // the marker's price counts as 0
        {price, false, {0, 3, 2, 1}},
        {price, true, {1, 2, 3, 0}},
        {entry, true, {1, 2, 3, 0}},  // markers have no entry: first; case ignored
        {entry, false, {0, 3, 2, 1}},
        {0, true, {0, 3, 2, 1}},  // equal kinds keep the order they stood in
    };
    for (const auto& c : clicks) {
        List().SortByColumn(c.column);
        EXPECT_EQ(List().SortColumn(), c.column);
        EXPECT_EQ(List().SortAscending(), c.ascending);
        EXPECT_EQ(List().RowOrder(), c.rows) << "column " << c.column;
    }
    EXPECT_EQ(List().ExportText(), loadOrder);
    // The sort state outlives a reload, which shows the load order again.
    List().Reload();
    EXPECT_EQ(List().RowOrder(), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    List().SortByColumn(0);
    EXPECT_FALSE(List().SortAscending());
}

TEST_F(CallListTest, ExportLayout) {
    List().Reload();
    // An empty list: the header line and one empty line.
    const std::string header =
        "Kind                     Start                    Time online    Price       Entry     \n";
    EXPECT_EQ(List().ExportText(), header + "\n");

    m_settings.ShowStopMon = 1;
    Log(2024, 5,
        {Call(KindConnected, Local(2024, 5, 1, 8), 3600, 0, 1.5f),
         Call(KindConnected, Local(2024, 5, 2, 8), 60, 0, 0.5f, "u", "Fourteen chars"),
         Call(KindMonitorStop, Local(2024, 5, 3, 8), 0, 0, 0.0f)});
    List().Reload();
    const std::string text = List().ExportText();
    EXPECT_EQ(text,
              header + "\n" +
                  "Connected                01.05.2024  08:00:00     01:00:00       $1.50       "
                  "Demo ISP  \n"
                  "Connected                02.05.2024  08:00:00     00:01:00       $0.50       "
                  "Fourteen chars\n"
                  "Monitor stopped          03.05.2024  08:00:00                                "
                  "          \n");
    const std::size_t firstLine = text.find('\n', header.size() + 1) - (header.size() + 1);
    EXPECT_EQ(firstLine, 87u);

    // Every column, in id order, with its own width; the title "Device type" is one longer
    // than its field.
    m_settings.Columns = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    List().RebuildColumns(true);
    const std::string all = List().ExportText();
    EXPECT_EQ(all.substr(0, all.find('\n')).size(),
              25u + 25 + 15 + 15 + 12 + 10 + 10 + 50 + 10 + 1);
}

// Columns are padded by characters: a Slovak export whose texts fit their columns has every
// line equally long in characters, although its accented letters and the euro sign take more
// than one byte each.
TEST_F(CallListTest, SlovakExportLinesUpByCharacters) {
    const FixedTextSource slovak({
        {3305, "Marec"},
        {3356, "Druh"},
        {3364, "Začiatok"},
        {3376, "Čas spojenia"},
        {3377, "Čas vytáčania"},
        {3361, "Cena"},
        {3367, "Používateľ"},
        {3368, "Pripojenie"},
        {3369, "Názov zariadenia"},
        {3370, "Typ zar."},
        {3365, "Spojené"},
        {3371, "Nespojené"},
    });
    m_settings.Columns = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    m_settings.CurrentTariff.CurrShort = "€";
    m_settings.CurrentTariff.CurrAfterNum = 1;
    Log(2024, 3,
        {Call(KindConnected, Local(2024, 3, 4, 8), 3600, 20, 1.5f, "Mária", "Šťastný",
              "Modem Žilina", "modém"),
         Call(KindUnconnected, Local(2024, 3, 5, 9), 0, 45, 0.0f, "Ľubo", "Čierna", "Ďateľ",
              "ISDN")});
    CallList list(m_settings, slovak, m_folder, m_clock);
    list.Reload();
    const std::string text = list.ExportText();
    ASSERT_NE(text.find("Spojené"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty()) {
            continue;  // the line after the header
        }
        ++lines;
        std::size_t characters = 0;
        for (const char c : line) {
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        }
        EXPECT_EQ(characters, 25u + 25 + 15 + 15 + 12 + 10 + 10 + 50 + 10) << line;
    }
    EXPECT_EQ(lines, 3u);
}

TEST_F(CallListTest, ExportToFileWritesTheTextAndReportsAFailure) {
    List().Reload();
    const std::string path = m_home.File("calls.log");
    test::WriteFileOrDie(path,
                         "old content that is longer than the export will be ....."
                         "......................................................");
    ASSERT_TRUE(List().ExportToFile(path));
    EXPECT_EQ(test::ReadFileOrEmpty(path), List().ExportText());
    std::string error;
    EXPECT_FALSE(List().ExportToFile(m_home.File("missing/calls.log"), &error));
    EXPECT_NE(error.find("missing/calls.log"), std::string::npos) << error;
}

TEST_F(CallListTest, LoadedPositionsRecomputeTheFilter) {
    m_settings.ListUsers.items = {"All users", "jane", "bob"};
    m_settings.ExchangeList(kListUsers, m_settings.ListUsers, true, "All users", true);
    List();
    const struct {
        std::int32_t stored;
        int selected;
        bool allUsers;
    } cases[] = {{2, 2, false}, {0, 0, true}, {-1, 0, true}, {3, 0, true}, {1, 1, false}};
    for (const auto& c : cases) {
        RegistryKey key(HKEY_CURRENT_USER, kMainKey);
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kMainKey, KEY_ALL_ACCESS));
        ASSERT_TRUE(key.WriteNumber("PosUser", static_cast<std::uint32_t>(c.stored)));
        m_settings.ExchangePositions(false);
        EXPECT_EQ(m_settings.ListUsers.selected, c.selected) << c.stored;
        EXPECT_EQ(List().Filter().allUsers, c.allUsers) << c.stored;
    }
    // A choice in the form view is stored at once.
    List().ChooseFilter(FilterListId::Users, 2);
    m_settings.ListUsers.selected = 0;
    m_settings.ExchangePositions(false);
    EXPECT_EQ(m_settings.ListUsers.selected, 2);
    EXPECT_FALSE(List().Filter().allUsers);
}

TEST_F(CallListTest, DropDownChoicesFollowTheListsAndTheLanguage) {
    m_settings.ListEntries.items.push_back("demo isp");
    m_settings.ListEntries.items.push_back("Demo ISP");
    m_settings.ListEntries.selected = 2;
    m_settings.Months.items.push_back(MonthItem{kMonthOne, 7, 1998});
    List().Choices().Fill(m_settings, Texts());
    const auto& choices = List().Choices();
    EXPECT_EQ(choices[FilterListId::Months].items,
              (std::vector<std::string>{"All months", "Month sums", "1998 August"}));
    EXPECT_EQ(choices[FilterListId::Entries].selected, 1);  // the first equal ignoring case

    std::vector<FilterListId> grown;
    CallListHooks hooks;
    hooks.choiceAppended = [&](FilterListId id) { grown.push_back(id); };
    List().SetHooks(hooks);
    m_settings.AddMonth(2024, 11);
    m_settings.AddUser("bob");
    List().AddNewItems();
    EXPECT_EQ(grown, (std::vector<FilterListId>{FilterListId::Months, FilterListId::Users}));
    EXPECT_EQ(choices[FilterListId::Months].items.back(), "2024 December");
    EXPECT_EQ(choices[FilterListId::Users].items, (std::vector<std::string>{"All users", "bob"}));

    FixedTextSource slovak({{3352, "Všetci"},
                            {3353, "Všetky zariadenia"},
                            {3354, "Všetky typy"},
                            {3378, "Všetky pripojenia"},
                            {3350, "Všetky mesiace"},
                            {3351, "Súčty"}});
    List().SetTexts(slovak);
    EXPECT_EQ(m_settings.ListUsers.items, (std::vector<std::string>{"Všetci", "bob"}));
    EXPECT_EQ(m_settings.ListEntries.items.front(), "Všetky pripojenia");
    EXPECT_EQ(m_settings.ListDNames.items.front(), "Všetky zariadenia");
    EXPECT_EQ(m_settings.ListDTypes.items.front(), "Všetky typy");
    EXPECT_EQ(choices[FilterListId::Months].items.front(), "Všetky mesiace");
    EXPECT_EQ(choices[FilterListId::Users].items.front(), "Všetci");
    EXPECT_EQ(m_settings.ListEntries.selected, 2);  // the selection stays on its text
}

TEST(StringPoolTest, KeepsEachTextOnce) {
    CallStore store;
    for (int i = 0; i < 100; ++i) {
        store.Append(Call(i % 2, i, i, 0, 0.0f, i % 3 ? "jane" : "bob", i % 5 ? "A" : "B"));
    }
    EXPECT_EQ(store.Record(3).userName, "bob");
    EXPECT_EQ(store.Record(5).entryName, "B");
    EXPECT_EQ(store.Record(99).deviceType, "modem");
    StringPool pool;
    EXPECT_EQ(pool.Intern(""), 0u);
    const auto a = pool.Intern("a");
    EXPECT_EQ(pool.Intern(std::string("a")), a);
    EXPECT_NE(pool.Intern("b"), a);
    EXPECT_EQ(pool.Text(a), "a");
}

// Texts compared by their stored bytes: equal texts get one index whatever their length (up to
// the word boundaries and beyond), bytes after a zero do not count, and a buffer's texts near
// its end are compared safely.
TEST(StringPoolTest, BufferInternerKeepsTextsApartByAllTheirBytes) {
    StringPool pool;
    BufferInterner interner(pool);
    std::string buffer;
    std::vector<std::string_view> views;
    std::vector<std::string> texts;
    for (std::size_t n = 0; n <= 20; ++n) {
        texts.push_back(std::string(n, 'a'));
        texts.push_back(std::string(n, 'a') + "b");
        texts.push_back("b" + std::string(n, 'a'));
    }
    for (const auto& t : texts) {
        buffer += t;
    }
    buffer += std::string("abc\0x", 5);
    const std::size_t bytes = buffer.size();
    buffer.append(kBufferPadding, '\x7f');
    std::size_t at = 0;
    for (const auto& t : texts) {
        views.emplace_back(buffer.data() + at, t.size());
        at += t.size();
    }
    const std::string_view zeroed(buffer.data() + bytes - 5, 5);
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(pool.Text(interner.Intern(1, views[i])), texts[i]) << i;
        }
        EXPECT_EQ(pool.Text(interner.Intern(2, zeroed)), "abc");
        EXPECT_EQ(interner.Intern(2, zeroed), pool.Intern("abc"));
    }
    // Each text once: "b" stands in the list twice, and "abc" comes on top.
    EXPECT_EQ(pool.Size(), texts.size() - 1 + 1);
}

}  // namespace
}  // namespace ov
