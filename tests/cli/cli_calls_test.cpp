// orvanta-cli calls: the call list loaded from month files appended by orvanta-cli log, byte for
// byte, in a temporary data root in Bratislava time.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args, input);
}

class CliCallsTest : public ::testing::Test {
protected:
    /// Appends dump lines to the month file of YEAR, MONTH.
    void Append(const std::string& year, const std::string& month, const std::string& lines) {
        const auto path = Cli({"log", "path", year, month});
        ASSERT_EQ(path.exitCode, 0) << path.err;
        const std::string file = path.out.substr(0, path.out.size() - 1);
        ASSERT_EQ(file, m_home.File("LogData/OV" + year + "_" + month + ".ovl"));
        const auto r = Cli({"log", "append", file}, lines);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    void SetUp() override {
        std::filesystem::create_directories(m_home.File("LogData"));
        // 2024-03-01 12:00:00 and 13:00:00, 2024-04-02 08:30:00 in Bratislava.
        Append("2024", "3",
               "0\t1709290800\t3600\t25\t12.5\t\tjane\tDemo ISP\tttyUSB0\tmodem\n"
               "3\t1709290000\t0\t0\t0\t\troot\t\t\t\n"
               "1\t1709294400\t0\t40\t0.5\t\tbob\tMobile Internet\tttyUSB1\tisdn\n");
        Append("2024", "4", "0\t1712039400\t61\t5\t1\t\tjane\tDemo ISP\tttyUSB0\tmodem\n");
    }

    test::ScopedEnv m_tz{"TZ", std::string("Europe/Bratislava")};
    test::ChildHome m_home;
};

const std::string kHeader =
    "Kind                     Start                    Time online    Price       Entry     \n\n";

TEST_F(CliCallsTest, ListsTheExportUnderEachFilter) {
    const struct {
        std::vector<std::string> filter;
        std::string out;
    } cases[] = {
        {{},
         kHeader + "Connected                01.03.2024  12:00:00     01:00:00       $12.50      "
                   "Demo ISP  \n"
                   "Not connected            01.03.2024  13:00:00     00:00:00       $0.50       "
                   "Mobile Internet\n"
                   "Connected                02.04.2024  08:30:00     00:01:01       $1.00       "
                   "Demo ISP  \n"},
        {{"--month", "2024-04"},
         kHeader + "Connected                02.04.2024  08:30:00     00:01:01       $1.00       "
                   "Demo ISP  \n"},
        {{"--month-sums", "--columns", "5,3"},
         "Kind                     Time dialing   User      \n\n"
         "Month sum                00:01:05                 \n"
         "Month sum                00:00:05                 \n"},
        {{"--kinds", "3,1", "--columns", "5"},
         "Kind                     User      \n\n"
         "Monitor started          root      \n"
         "Not connected            bob       \n"},
        {{"--kinds", "0,1,3", "--entry", "Demo ISP", "--user", "jane"},
         kHeader + "Connected                01.03.2024  12:00:00     01:00:00       $12.50      "
                   "Demo ISP  \n"
                   "Connected                02.04.2024  08:30:00     00:01:01       $1.00       "
                   "Demo ISP  \n"},
        {{"--device-type", "isdn", "--device-name", "ttyUSB1", "--columns", "8,7"},
         "Kind                     Device name                                       Device "
         "type\n\n"
         "Not connected            ttyUSB1                                           isdn      \n"},
        {{"--user", "All users"}, kHeader},  // a user's name, not the all-entry
        {{"--month", "2023-01"}, kHeader},
        {{"--lang", "1051", "--month", "2024-04", "--columns", "1"},
         // Fields are padded by characters, whatever bytes they take.
         "Druh                     Začiatok                 \n\n"
         "Spojené                  02.04.2024  08:30:00     \n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"calls", "list"};
        args.insert(args.end(), c.filter.begin(), c.filter.end());
        if (c.filter.empty() || c.filter[0] != "--lang") {
            args.insert(args.end(), {"--lang", "1033"});
        }
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.filter);
    }
}

TEST_F(CliCallsTest, ExportWritesTheSameBytesAndSumsFollowTheFilter) {
    const std::string file = m_home.File("calls.log");
    auto r = Cli({"calls", "export", file, "--lang", "1033", "--kinds", "0,3,4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto list = Cli({"calls", "list", "--lang", "1033", "--kinds", "0,3,4"});
    EXPECT_EQ(test::ReadFileOrEmpty(file), list.out);
    // Private as every file the program writes, whatever the umask lets through.
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    r = Cli({"calls", "sums", "--lang", "1033", "--month-sums"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "3071\t$14.00\n3072\t2\n3079\t32\n3070\t01:02:11\n"
              "3068\t01.03.2024  12:00:00\n3069\t02.04.2024  08:30:00\n"
              "3076\t$0.44\n3077\t0.06\n3075\t00:01:56\n");
    r = Cli({"calls", "sums", "--lang", "1033", "--month", "2024-05"});
    EXPECT_EQ(r.out,
              "3071\t$0.00\n3072\t0\n3079\t0\n3070\t00:00:00\n"
              "3068\t00.00.0000  00:00:00\n3069\t00.00.0000  00:00:00\n"
              "3076\t$0.00\n3077\t0.00\n3075\t00:00:00\n");
}

// The raw forms: the same rows, the visible columns by their fixed names, in any order of the
// options; the text form is the default.
TEST_F(CliCallsTest, ExportsCsvAndJson) {
    const std::string file = m_home.File("calls.out");
    const struct {
        std::vector<std::string> options;
        std::string bytes;
    } cases[] = {
        {{"--format", "csv"},
         "kind,start,connectedSeconds,price,entry\r\n"
         "0,2024-03-01T12:00:00+01:00,3600,12.5,Demo ISP\r\n"
         "1,2024-03-01T13:00:00+01:00,0,0.5,Mobile Internet\r\n"
         "0,2024-04-02T08:30:00+02:00,61,1,Demo ISP\r\n"},
        {{"--month", "2024-04", "--columns", "5,8", "--format", "json"},
         "[\n{\"kind\":0,\"user\":\"jane\",\"deviceType\":\"modem\"}\n]\n"},
        {{"--kinds", "3", "--format", "json", "--columns", "1"},
         "[\n{\"kind\":3,\"start\":\"2024-03-01T11:46:40+01:00\"}\n]\n"},
        {{"--format", "text", "--month", "2024-04"},
         kHeader + "Connected                02.04.2024  08:30:00     00:01:01       $1.00       "
                   "Demo ISP  \n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"calls", "export", file, "--lang", "1033"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(test::ReadFileOrEmpty(file), c.bytes) << testing::PrintToString(c.options);
    }
}

TEST_F(CliCallsTest, BadArgumentsAndUnwritableFiles) {
    const std::vector<std::string> usage[] = {
        {"calls"},
        {"calls", "show"},
        {"calls", "export"},
        {"calls", "list", "--month", "2024-13"},
        {"calls", "list", "--month", "24-01"},
        {"calls", "list", "--kinds", "0,2"},
        {"calls", "list", "--columns", "0"},
        {"calls", "list", "--columns", "1,,2"},
        {"calls", "list", "--lang", "english"},
        {"calls", "list", "--user"},
        {"calls", "sums", "--everything"},
        {"calls", "export", "out", "--format", "xml"},
        {"calls", "export", "out", "--format"},
        {"calls", "list", "--format", "csv"},
    };
    for (const auto& args : usage) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: orvanta-cli calls"), std::string::npos) << r.err;
    }
    // A file that cannot be made, and a device that takes no byte: never a success.
    for (const std::string& file : {m_home.File("no/such/folder.log"), std::string("/dev/full")}) {
        for (const char* format : {"text", "csv", "json"}) {
            const auto r = Cli({"calls", "export", file, "--lang", "1033", "--format", format});
            EXPECT_EQ(r.exitCode, 1) << file << " " << format;
            EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
        }
    }
}

}  // namespace
}  // namespace ov
