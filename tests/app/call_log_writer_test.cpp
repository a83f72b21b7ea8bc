// The call log writer over real month files and the real settings store: kinds from the
// durations, pricing and totals, the month of the moment of writing, the markers, the name
// lists, the call list hooks, and records kept over a failed write.
#include "app/call_log_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/text_table_source.h"
#include "platform/text_util.h"
#include "support/bratislava_time.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

const FixedTextSource& Texts() {
    static const FixedTextSource texts({{3335, "Cannot write to\n%s\n100%% sure"},
                                        {3352, "All users"},
                                        {3353, "All devices"},
                                        {3354, "All device types"},
                                        {3378, "All entries"}});
    return texts;
}

class RecordedMessages final : public CallLogMessages {
public:
    void ShowWriteFailure(const std::string& text) override { shown.push_back(text); }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> shown;
    std::vector<std::string> notices;
};

class RecordingSink final : public CallListSink {
public:
    void AddNewItems() override { calls.push_back("items"); }
    void AddNewRecord(const CallRecord& record, bool showTotals) override {
        calls.push_back(showTotals ? "record+totals" : "record");
        records.push_back(record);
    }
    std::vector<std::string> calls;
    std::vector<CallRecord> records;
};

class CallLogWriterTest : public test::BratislavaTime {
protected:
    CallLogWriterTest() {
        // One unit a minute at 1.00, all day, every day.
        m_settings.CurrentTariff.Price[0] = 1.0f;
        std::filesystem::create_directories(Folder());
    }

    std::string Folder() const { return m_home.File("LogData"); }

    /// A file where the log folder should be: every write fails until it goes.
    void BlockFolder() const {
        std::filesystem::remove_all(Folder());
        test::WriteFileOrDie(Folder(), "in the way");
    }
    void UnblockFolder() const {
        std::filesystem::remove(Folder());
        std::filesystem::create_directories(Folder());
    }

    CallLogWriter& Writer() {
        if (!m_writer) {
            m_writer.emplace(m_settings, Texts(), m_clock, m_messages, Folder(), "alice");
        }
        return *m_writer;
    }

    std::vector<CallRecord> Month(int year, int month) const {
        std::vector<CallRecord> records;
        LoadMonth(Folder(), year, month - 1, [&](const CallRecord& r) { records.push_back(r); });
        return records;
    }

    static ConnectionRecord Call(Time32 start, std::int32_t connected, std::int32_t dialing) {
        ConnectionRecord c;
        c.entryName = "Work ISP";
        c.deviceName = "Modem 1";
        c.deviceType = "modem";
        c.userName = "bob";
        c.startTime = start;
        c.connectedSeconds = connected;
        c.dialingSeconds = dialing;
        return c;
    }

    test::TempHome m_home;
    Settings m_settings{Texts()};
    ManualClock m_clock{Local(2024, 3, 13, 12, 0, 0)};
    RecordedMessages m_messages;
    std::optional<CallLogWriter> m_writer;
};

TEST_F(CallLogWriterTest, KindPriceAndTotalsFollowTheDurations) {
    struct Case {
        std::int32_t connected;
        std::int32_t dialing;
        std::optional<std::int32_t> kind;  // nothing: no record at all
        float price;
    };
    const Case cases[] = {
        {50, 20, KindConnected, 2.0f},   // both times are paid: 70 s are two units
        {50, 0, KindConnected, 1.0f},    //
        {0, 70, KindUnconnected, 2.0f},  // never came up: priced over the dialing time
        {0, 0, std::nullopt, 0.0f},      // nothing happened
    };
    const Time32 start = m_clock.Now() - 100;
    std::int32_t totalTime = 0;
    float totalPrice = 0.0f;
    std::size_t expectedRecords = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.connected) + "/" + std::to_string(c.dialing));
        const ConnectionRecord call = Call(start, c.connected, c.dialing);
        Writer().AppendCallRecord(KindConnected, &call);
        const auto records = Month(2024, 3);
        if (c.kind) {
            totalTime += c.connected + c.dialing;
            totalPrice += c.price;
            ++expectedRecords;
        }
        ASSERT_EQ(records.size(), expectedRecords);
        EXPECT_EQ(m_settings.EventTotTime, totalTime);
        EXPECT_EQ(m_settings.EventTotPrice, totalPrice);
        if (!c.kind) {
            continue;
        }
        CallRecord expected;
        expected.kind = *c.kind;
        expected.startTime = start;
        expected.connectedSeconds = c.connected;
        expected.dialingSeconds = c.dialing;
        expected.price = c.price;
        expected.userName = "bob";
        expected.entryName = "Work ISP";
        expected.deviceName = "Modem 1";
        expected.deviceType = "modem";
        EXPECT_EQ(records.back(), expected);
    }
    EXPECT_TRUE(m_messages.shown.empty());
    // Each list takes the name once, however many calls bring it.
    const std::pair<const TextList*, const char*> names[] = {
        {&m_settings.ListUsers, "bob"},
        {&m_settings.ListEntries, "Work ISP"},
        {&m_settings.ListDNames, "Modem 1"},
        {&m_settings.ListDTypes, "modem"},
    };
    for (const auto& [list, name] : names) {
        EXPECT_EQ(std::count(list->items.begin(), list->items.end(), name), 1) << name;
    }
}

TEST_F(CallLogWriterTest, MarkersCarryTheMomentAndTheLoginNameOnly) {
    const std::size_t entries = m_settings.ListEntries.items.size();
    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    m_clock.Advance(30);
    Writer().AppendCallRecord(KindMonitorStop, nullptr);
    const auto records = Month(2024, 3);
    ASSERT_EQ(records.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        CallRecord expected;
        expected.kind = i == 0 ? KindMonitorStart : KindMonitorStop;
        expected.startTime = Local(2024, 3, 13, 12, 0, 0) + static_cast<Time32>(30 * i);
        expected.userName = "alice";
        EXPECT_EQ(records[i], expected);
    }
    EXPECT_EQ(
        std::count(m_settings.ListUsers.items.begin(), m_settings.ListUsers.items.end(), "alice"),
        1);
    EXPECT_EQ(m_settings.ListEntries.items.size(), entries);  // markers name no entry
    EXPECT_EQ(m_settings.EventTotTime, 0);
}

TEST_F(CallLogWriterTest, TheMonthIsThatOfTheMomentOfWriting) {
    m_clock.Set(Local(2024, 3, 31, 23, 30, 0));
    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    const Time32 marchStart = Local(2024, 3, 31, 23, 50, 0);
    m_clock.Set(Local(2024, 4, 1, 0, 10, 0));
    const ConnectionRecord call = Call(marchStart, 1100, 100);
    Writer().AppendCallRecord(KindConnected, &call);
    m_clock.Advance(60);
    Writer().AppendCallRecord(KindMonitorStop, nullptr);

    const auto march = Month(2024, 3);
    ASSERT_EQ(march.size(), 1u);
    EXPECT_EQ(march[0].kind, KindMonitorStart);
    const auto april = Month(2024, 4);
    ASSERT_EQ(april.size(), 2u);
    EXPECT_EQ(april[0].startTime, marchStart);
    EXPECT_EQ(april[1].kind, KindMonitorStop);
    EXPECT_EQ(Writer().FilePath(), MonthFilePath(Folder(), 2024, 4));

    // Each month joins the list once, in the order the writes reached it.
    std::vector<MonthItem> expected{{kMonthOne, 2, 2024}, {kMonthOne, 3, 2024}};
    std::vector<MonthItem> added;
    for (const MonthItem& m : m_settings.Months.items) {
        if (m.kind == kMonthOne) {
            added.push_back(m);
        }
    }
    EXPECT_EQ(added, expected);
    // And the stored list says the same to the next start.
    Settings reloaded(Texts());
    reloaded.ExchangeMonths(false);
    EXPECT_EQ(reloaded.Months.items, m_settings.Months.items);
}

TEST_F(CallLogWriterTest, AFailedRecordIsKeptAndWrittenFirstOnceTheFileCanBeWritten) {
    RecordingSink sink;
    Writer().SetCallListSink(&sink);
    BlockFolder();

    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    const ConnectionRecord call = Call(m_clock.Now() - 60, 40, 10);
    Writer().AppendCallRecord(KindConnected, &call);
    const std::string path = MonthFilePath(Folder(), 2024, 3);
    ASSERT_EQ(m_messages.shown.size(), 2u);
    // The file's name, and the system's reason.
    EXPECT_EQ(m_messages.shown[0],
              "Cannot write to\n" + path + " (" + Folder() + ": Not a directory)\n100% sure");
    EXPECT_EQ(Writer().PendingCount(), 2u);
    // The totals, the lists and the open call list have the call all the same.
    EXPECT_EQ(m_settings.EventTotTime, 50);
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"items", "record+totals", "items", "record+totals"}));
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[1].kind, KindConnected);

    UnblockFolder();
    Writer().AppendCallRecord(KindMonitorStop, nullptr);
    EXPECT_EQ(m_messages.shown.size(), 2u);  // a record kept is not shown again
    EXPECT_EQ(Writer().PendingCount(), 0u);
    const auto records = Month(2024, 3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].kind, KindMonitorStart);
    EXPECT_EQ(records[1].kind, KindConnected);
    EXPECT_EQ(records[1].price, 1.0f);
    EXPECT_EQ(records[2].kind, KindMonitorStop);
}

TEST_F(CallLogWriterTest, RecordsKeptAtTheEndAreWrittenByWritePending) {
    BlockFolder();
    Writer().AppendCallRecord(KindMonitorStop, nullptr);
    EXPECT_FALSE(Writer().WritePending());
    EXPECT_EQ(Writer().PendingCount(), 1u);
    EXPECT_EQ(m_messages.shown.size(), 1u);
    UnblockFolder();
    EXPECT_TRUE(Writer().WritePending());
    ASSERT_EQ(Month(2024, 3).size(), 1u);
    EXPECT_EQ(Month(2024, 3)[0].kind, KindMonitorStop);
}

TEST_F(CallLogWriterTest, ARemovedFolderIsMadeAgain) {
    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    std::filesystem::remove_all(Folder());
    Writer().AppendCallRecord(KindMonitorStop, nullptr);
    EXPECT_EQ(m_messages.shown.size(), 0u);
    EXPECT_EQ(Month(2024, 3).size(), 1u);
}

TEST_F(CallLogWriterTest, DamageMovedAsideIsTold) {
    test::WriteFileOrDie(MonthFilePath(Folder(), 2024, 3),
                         std::string("\x03\x00\x00\x00 damaged", 12));
    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    EXPECT_TRUE(m_messages.shown.empty());
    ASSERT_EQ(m_messages.notices.size(), 1u);
    EXPECT_NE(m_messages.notices[0].find("the 12 bytes from there are kept in " +
                                         MonthFilePath(Folder(), 2024, 3) + ".torn-"),
              std::string::npos)
        << m_messages.notices[0];
    EXPECT_EQ(Month(2024, 3).size(), 1u);
}

TEST_F(CallLogWriterTest, RecordsStillUnwrittenAtExitAreCounted) {
    BlockFolder();
    Writer().AppendCallRecord(KindMonitorStart, nullptr);
    Writer().AppendCallRecord(KindMonitorStop, nullptr);
    EXPECT_FALSE(Writer().WritePendingAtExit());
    ASSERT_EQ(m_messages.notices.size(), 1u);
    EXPECT_EQ(m_messages.notices[0], "2 call records could not be written and are lost: " +
                                         Folder() + ": Not a directory");
}

TEST(FormatWithText, OnlyTheFirstTextConversionTakesTheArgument) {
    const struct {
        const char* format;
        const char* out;
    } cases[] = {
        {"file %s", "file /x"},
        {"%s and %s", "/x and %s"},
        {"%d%% of %s", "%d% of /x"},  // other conversions stay as they are: printf never sees them
        {"no argument", "no argument"},
        {"trailing %", "trailing %"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWithText(c.format, "/x"), c.out) << c.format;
    }
}

}  // namespace
}  // namespace ov
