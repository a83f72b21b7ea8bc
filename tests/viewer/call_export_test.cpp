// The call list's export in its three forms, streamed to a file: the text export made cell by
// cell as the list shows its cells; CSV read back by Python's csv module and JSON by Qt's JSON
// parser, with texts that need quoting, escaping or are not ASCII, and the offsets of a day
// the clocks change. Runs in Bratislava time.
#include "viewer/call_export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <optional>

#include "app/text_table_source.h"
#include "calllog/call_log_file.h"
#include "platform/file_util.h"
#include "support/bratislava_time.h"
#include "support/month_files.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "viewer/call_list.h"

namespace ov {
namespace {

const FixedTextSource& Texts() {
    static const FixedTextSource texts({
        {3305, "March"},
        {3312, "October"},
        {3356, "Kind"},
        {3364, "Start"},
        {3376, "Time online"},
        {3377, "Time dialing"},
        {3361, "Price"},
        {3367, "User"},
        {3368, "Entry"},
        {3369, "Device"},
        {3370, "Device type"},
        {3365, "Connected"},
        {3371, "Not conn."},
        {3372, "Month sum"},
        {3373, "Monitor started"},
        {3374, "Monitor stopped"},
    });
    return texts;
}

CallRecord Record(std::int32_t kind, Time32 start, std::int32_t connected, float price,
                  std::string user, std::string entry, std::string deviceName = "ttyUSB0",
                  std::string deviceType = "modem") {
    CallRecord r;
    r.kind = kind;
    r.startTime = start;
    r.connectedSeconds = connected;
    r.dialingSeconds = 7;
    r.price = price;
    r.userName = std::move(user);
    r.entryName = std::move(entry);
    r.deviceName = std::move(deviceName);
    r.deviceType = std::move(deviceType);
    return r;
}

/// What a record of the table must read back as, in the raw forms.
struct Expected {
    int kind;
    std::string start;  // empty: no time
    int connected;
    std::optional<double> price;  // nothing: no number
    std::string user, entry, deviceName, deviceType;
};

struct RawCase {
    CallRecord record;
    Expected expected;
};

class CallExportTest : public test::BratislavaTime {
protected:
    CallExportTest() {
        EnsureFolder(m_folder);
        m_settings.Columns = {1, 1, 1, 1, 1, 1, 1, 1, 1};
        m_settings.ShowStartMon = 1;
        m_settings.ShowStopMon = 1;
    }

    void Log(int year, int month, const std::vector<CallRecord>& records) {
        test::AppendToMonthFile(m_folder, year, month, records);
    }

    CallList& List() {
        if (!m_list) {
            m_list.emplace(m_settings, Texts(), m_folder, m_clock);
            m_list->Reload();
        }
        return *m_list;
    }

    std::string Export(ExportFormat format) {
        const std::string path = m_home.File("export");
        std::string error;
        EXPECT_TRUE(ExportCallsToFile(List(), format, path, &error)) << error;
        return test::ReadFileOrEmpty(path);
    }

    /// Quoting, escaping, characters beyond ASCII, bytes that are not UTF-8, a marker, a
    /// price that is not a number and the two offsets of the days the clocks change.
    static std::vector<RawCase> RawCases() {
        // 27 October 2024: 02:30 comes twice, first in summer time, then in winter time.
        const Time32 octoberSummer = 1729989000;  // 00:30 UTC
        return {
            {Record(KindConnected, Local(2024, 3, 31, 1, 30), 3600, 12.5f, "jane",
                    "Office, 2nd floor"),
             {0, "2024-03-31T01:30:00+01:00", 3600, 12.5, "jane", "Office, 2nd floor", "ttyUSB0",
              "modem"}},
            {Record(KindUnconnected, Local(2024, 3, 31, 3, 30), 0, 0.1f, "Jane \"JD\" Doe",
                    "Line\nbreak\r\n", "tab\there", "back\\slash"),
             {1, "2024-03-31T03:30:00+02:00", 0, 0.1, "Jane \"JD\" Doe", "Line\nbreak\r\n",
              "tab\there", "back\\slash"}},
            {Record(KindConnected, octoberSummer, 61, NAN, "Mária", "Šťastný € ✓", "Ďateľ",
                    "\x01"
                    "ctl"),
             {0, "2024-10-27T02:30:00+02:00", 61, std::nullopt, "Mária", "Šťastný € ✓", "Ďateľ",
              "\x01"
              "ctl"}},
            {Record(KindConnected, octoberSummer + 3600, 5, 1e-5f, "bad\xff byte", "\xc3",
                    "\xed\xa0\x80", "\xf0\x9f\x93\x9e"),
             {0, "2024-10-27T02:30:00+01:00", 5, 1e-5, "bad\uFFFD byte", "\uFFFD",
              "\uFFFD\uFFFD\uFFFD", "\U0001F4DE"}},
            {Record(KindMonitorStart, octoberSummer + 7200, 0, 0.0f, "root", "", "", ""),
             {3, "2024-10-27T03:30:00+01:00", 0, 0.0, "root", "", "", ""}},
        };
    }

    test::TempHome m_home;
    std::string m_folder = m_home.File("LogData");
    ManualClock m_clock{Local(2024, 11, 10)};
    Settings m_settings{Texts()};
    std::optional<CallList> m_list;
};

void ExpectRecord(const QJsonObject& object, const Expected& e, std::size_t i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(object.size(), 9);
    EXPECT_EQ(object["kind"].toInt(-1), e.kind);
    if (e.start.empty()) {
        EXPECT_TRUE(object["start"].isNull());
    } else {
        EXPECT_EQ(object["start"].toString().toStdString(), e.start);
    }
    EXPECT_EQ(object["connectedSeconds"].toInt(-1), e.connected);
    EXPECT_EQ(object["dialingSeconds"].toInt(-1), 7);
    if (e.price) {
        // The shortest text that reads back as the float.
        EXPECT_EQ(static_cast<float>(object["price"].toDouble(-1)), static_cast<float>(*e.price));
    } else {
        EXPECT_TRUE(object["price"].isNull());
    }
    EXPECT_EQ(object["user"].toString().toStdString(), e.user);
    EXPECT_EQ(object["entry"].toString().toStdString(), e.entry);
    EXPECT_EQ(object["deviceName"].toString().toStdString(), e.deviceName);
    EXPECT_EQ(object["deviceType"].toString().toStdString(), e.deviceType);
}

TEST_F(CallExportTest, JsonReadsBackAsTheRawRecords) {
    const auto cases = RawCases();
    for (const auto& c : cases) {
        std::tm local{};
        ToLocalTime(c.record.startTime, local);
        Log(local.tm_year + 1900, local.tm_mon + 1, {c.record});
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(Export(ExportFormat::Json)), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(document.isArray());
    const QJsonArray rows = document.array();
    ASSERT_EQ(static_cast<std::size_t>(rows.size()), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ExpectRecord(rows[static_cast<qsizetype>(i)].toObject(), cases[i].expected, i);
    }
}

TEST_F(CallExportTest, CsvReadsBackAsTheRawRecords) {
    const auto cases = RawCases();
    for (const auto& c : cases) {
        std::tm local{};
        ToLocalTime(c.record.startTime, local);
        Log(local.tm_year + 1900, local.tm_mon + 1, {c.record});
    }
    const std::string path = m_home.File("export.csv");
    ASSERT_TRUE(ExportCallsToFile(List(), ExportFormat::Csv, path, nullptr));
    // Python's csv module in its default (RFC 4180) dialect, the file strictly as UTF-8; the
    // rows handed back as JSON.
    const auto python = test::RunProcess(
        {"/usr/bin/env", "python3", "-c",
         "import csv, json, sys\n"
         "with open(sys.argv[1], newline='', encoding='utf-8', errors='strict') as f:\n"
         "    print(json.dumps(list(csv.reader(f, strict=True))))\n",
         path});
    ASSERT_EQ(python.exitCode, 0) << python.err;
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(python.out)).array();
    ASSERT_EQ(static_cast<std::size_t>(rows.size()), cases.size() + 1);
    QJsonArray header = rows[0].toArray();
    EXPECT_EQ(header, QJsonArray({"kind", "start", "connectedSeconds", "dialingSeconds", "price",
                                  "user", "entry", "deviceName", "deviceType"}));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // The fields by the header's names, numbers read as JSON reads them.
        const QJsonArray fields = rows[static_cast<qsizetype>(i + 1)].toArray();
        ASSERT_EQ(fields.size(), header.size());
        QJsonObject object;
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const QString name = header[f].toString();
            const QString text = fields[f].toString();
            const bool number = name == "kind" || name.endsWith("Seconds") || name == "price";
            object[name] = text.isEmpty() && (number || name == "start")
                               ? QJsonValue(QJsonValue::Null)
                               : (number ? QJsonValue(text.toDouble()) : QJsonValue(text));
        }
        ExpectRecord(object, cases[i].expected, i);
    }
}

TEST_F(CallExportTest, FormsCarryTheVisibleColumnsAndTheSameRows) {
    m_settings.Columns = {1, 0, 0, 0, 1, 0, 1, 0, 0};
    Log(2024, 3,
        {Record(KindConnected, Local(2024, 3, 1, 8), 60, 2.0f, "jane", "Demo ISP"),
         Record(KindUnconnected, 0, 0, 0.25f, "bob", "a,b")});
    const struct {
        ExportFormat format;
        std::string bytes;
    } cases[] = {
        {ExportFormat::Csv, "kind,price,entry\r\n0,2,Demo ISP\r\n1,0.25,\"a,b\"\r\n"},
        {ExportFormat::Json,
         "[\n{\"kind\":0,\"price\":2,\"entry\":\"Demo ISP\"},\n"
         "{\"kind\":1,\"price\":0.25,\"entry\":\"a,b\"}\n]\n"},
        {ExportFormat::Text,
         "Kind                     Price       Entry     \n\n"
         "Connected                $2.00       Demo ISP  \n"
         "Not conn.                $0.25       a,b       \n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Export(c.format), c.bytes) << static_cast<int>(c.format);
    }
    // The start time 0 stands for no time; the month lines of the sums mode carry their sums.
    m_settings.Columns = {1, 1, 1, 0, 1, 0, 0, 0, 0};
    m_settings.Months.items.push_back(MonthItem{kMonthSums, 0, 0});
    List().Filter().Select(FilterListId::Months,
                           static_cast<int>(m_settings.Months.items.size() - 1));
    List().RebuildColumns(false);
    List().Reload();
    EXPECT_EQ(Export(ExportFormat::Json),
              "[\n{\"kind\":2,\"start\":\"2024-03-01T08:00:00+01:00\",\"connectedSeconds\":60,"
              "\"price\":2.25}\n]\n");
    m_settings.Months.items.push_back(MonthItem{kMonthAll, 0, 0});
    List().Filter().Select(FilterListId::Months,
                           static_cast<int>(m_settings.Months.items.size() - 1));
    List().Reload();
    EXPECT_EQ(Export(ExportFormat::Csv),
              "kind,start,connectedSeconds,price\r\n0,2024-03-01T08:00:00+01:00,60,2\r\n"
              "1,,0,0.25\r\n");
}

// The text export is made in a buffer of its own, cell by cell as the list makes its cells:
// every kind (a damaged one too), month lines, markers, odd durations and prices, over more
// rows than the buffer holds.
TEST_F(CallExportTest, TextExportIsTheListsCellsPadded) {
    m_settings.CurrentTariff.CurrShort = "100%€";
    m_settings.CurrentTariff.CurrAfterNum = 1;
    std::vector<CallRecord> records;
    for (int i = 0; i < 3000; ++i) {
        records.push_back(Record(i % 6, Local(2024, 3, 1 + i % 28, i % 24), (i - 5) * 997,
                                 i % 11 == 0 ? 3e30f : static_cast<float>(i) / 7.0f,
                                 i % 2 ? "Ľubomír" : "", std::string(i % 40, 'x'), "Modem Žilina",
                                 "modém"));
    }
    records.push_back(Record(KindConnected, 0, -1, -0.5f, "u", "e"));
    // Every half hour around both changes of the clocks, and back again.
    for (const Time32 from : {Local(2024, 3, 30, 12), Local(2024, 10, 26, 12)}) {
        for (Time32 t = from; t < from + 2 * 86400; t += 1800) {
            records.push_back(Record(KindConnected, t, 1, 1.0f, "u", "e"));
        }
        records.push_back(Record(KindConnected, from, 1, 1.0f, "u", "e"));
    }
    Log(2024, 3, records);
    Log(2024, 10, {Record(KindConnected, Local(2024, 10, 27, 2, 30), 1, 1.0f, "u", "e")});
    for (const std::uint8_t kind : {kMonthAll, kMonthSums}) {
        m_settings.Months.items.push_back(MonthItem{kind, 0, 0});
        List().Filter().Select(FilterListId::Months,
                               static_cast<int>(m_settings.Months.items.size() - 1));
        List().Reload();
        std::string expected;
        auto line = [&](const CallRow* row) {
            for (const std::int16_t id : List().VisibleColumns()) {
                const std::string text = List().CellText(id, row);
                expected += text;
                std::size_t characters = 0;
                for (const char c : text) {
                    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
                }
                const auto width = static_cast<std::size_t>(
                    kColumnTable[static_cast<std::size_t>(id)].exportWidth);
                expected.append(characters < width ? width - characters : 0, ' ');
            }
            expected += '\n';
        };
        line(nullptr);
        expected += '\n';
        for (std::size_t i = 0; i < List().Count(); ++i) {
            const CallRow row = List().Row(i);
            line(&row);
        }
        if (kind == kMonthAll) {
            ASSERT_GT(expected.size(), 2 * ExportStream::kBufferBytes);
        }
        EXPECT_EQ(Export(ExportFormat::Text), expected);
        EXPECT_EQ(List().ExportText(), expected);
    }
}

TEST_F(CallExportTest, FailedWritesAreReportedAndFilesArePrivate) {
    Log(2024, 3, {Record(KindConnected, Local(2024, 3, 1), 60, 1.0f, "jane", "Demo ISP")});
    for (const auto format : {ExportFormat::Text, ExportFormat::Csv, ExportFormat::Json}) {
        for (const std::string& path : {m_home.File("missing/calls"), std::string("/dev/full")}) {
            std::string error;
            EXPECT_FALSE(ExportCallsToFile(List(), format, path, &error)) << path;
            EXPECT_NE(error.find(path), std::string::npos) << error;
        }
    }
    // A file that was readable by others is private once it holds the calls.
    const std::string path = m_home.File("shared.csv");
    test::WriteFileOrDie(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(ExportCallsToFile(List(), ExportFormat::Csv, path, nullptr));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A load streamed straight into the export (as orvanta-cli exports) writes what a reload and an
// export of the loaded list write, and leaves the same totals and skipped files, under every
// kind of filter, over damage, a text with a zero byte inside, a month file that is a link and
// a month with nothing but a mark.
TEST_F(CallExportTest, AStreamedLoadExportsWhatTheLoadedListExports) {
    std::string damaged =
        EncodeCallRecord(Record(KindConnected, Local(2024, 3, 9), 9, 9.0f, "x", "y"));
    damaged[kCallRecordFixedSize] = '\xff';  // a user name length no record has
    Log(2024, 3,
        {Record(KindConnected, Local(2024, 3, 1, 8), 60, 2.0f, std::string("jane\0old", 8),
                "Demo ISP"),
         Record(KindConnected, Local(2024, 3, 2, 8), 61, 2.0f, std::string("jane\0new", 8),
                "Demo ISP"),
         Record(KindUnconnected, Local(2024, 3, 3, 9), 0, 0.25f, "bob", "a,b")});
    test::WriteFileOrDie(MonthFilePath(m_folder, 2024, 3),
                         test::ReadFileOrEmpty(MonthFilePath(m_folder, 2024, 3)) + damaged +
                             EncodeCallRecord(Record(KindConnected, Local(2024, 3, 10), 1, 1.0f,
                                                     "hidden", "by the damage")));
    Log(2024, 5, {Record(KindMonitorStart, Local(2024, 5, 1), 0, 0.0f, "root", "")});
    Log(2024, 7,
        {Record(KindConnected, Local(2024, 7, 1), 30, 1.5f, "bob", "Office"),
         Record(KindMonitorStop, Local(2024, 7, 2), 0, 0.0f, "root", "")});
    test::WriteFileOrDie(
        m_home.File("elsewhere.ovl"),
        EncodeCallRecord(Record(KindConnected, Local(2024, 8, 3), 5, 9.0f, "", "")));
    ASSERT_EQ(
        ::symlink(m_home.File("elsewhere.ovl").c_str(), MonthFilePath(m_folder, 2024, 8).c_str()),
        0);

    const struct {
        MonthItem month;
        std::string user;  // empty: all users
        bool markers;
    } filters[] = {
        {{kMonthAll, 0, 0}, "", true},      {{kMonthSums, 0, 0}, "", true},
        {{kMonthOne, 2, 2024}, "", true},   {{kMonthOne, 6, 2024}, "bob", true},
        {{kMonthAll, 0, 0}, "jane", false}, {{kMonthOne, 3, 2024}, "", false},  // no row at all
    };
    for (const auto& f : filters) {
        m_settings.ShowStartMon = f.markers ? 1 : 0;
        m_settings.ShowStopMon = f.markers ? 1 : 0;
        m_settings.Months.items.push_back(f.month);
        List().Filter().Select(FilterListId::Months,
                               static_cast<int>(m_settings.Months.items.size() - 1));
        if (!f.user.empty()) {
            m_settings.ListUsers.items.push_back(f.user);
        }
        List().Filter().Select(
            FilterListId::Users,
            f.user.empty() ? 0 : static_cast<int>(m_settings.ListUsers.items.size() - 1));
        for (const auto format : {ExportFormat::Text, ExportFormat::Csv, ExportFormat::Json}) {
            SCOPED_TRACE(testing::Message() << f.month.kind << " " << f.user << " " << f.markers
                                            << " " << static_cast<int>(format));
            List().Reload();
            const std::string loaded = Export(format);
            const CallTotals totals = List().Totals();
            const auto skipped = List().SkippedFiles();

            const std::string path = m_home.File("streamed");
            std::string error;
            ExportFile file(path, &error);
            ASSERT_TRUE(file.IsOpen()) << error;
            EXPECT_TRUE(ExportLoadedCallsToFile(List(), format, file, &error)) << error;
            EXPECT_EQ(test::ReadFileOrEmpty(path), loaded);
            EXPECT_EQ(List().Totals(), totals);
            EXPECT_EQ(List().SkippedFiles(), skipped);
            EXPECT_EQ(List().Count(), 0u);
            EXPECT_EQ(skipped.size(), f.month.kind == kMonthOne ? 0u : 1u);
        }
    }
    // A write that fails is reported, naming the file.
    std::string error;
    ExportFile full("/dev/full", &error);
    ASSERT_TRUE(full.IsOpen()) << error;
    EXPECT_FALSE(ExportLoadedCallsToFile(List(), ExportFormat::Json, full, &error));
    EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
}

TEST(ExportFormatTest, ParsesTheThreeNames) {
    EXPECT_EQ(ParseExportFormat("text"), ExportFormat::Text);
    EXPECT_EQ(ParseExportFormat("csv"), ExportFormat::Csv);
    EXPECT_EQ(ParseExportFormat("json"), ExportFormat::Json);
    for (const char* name : {"", "CSV", "txt", "json "}) {
        EXPECT_EQ(ParseExportFormat(name), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace ov
