// orvanta-cli log: dump, append and path, against files of a temporary data root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "calllog/call_log_file.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args, input);
}

TEST(CliLogTest, AppendedLinesDumpBackAsTheyWent) {
    test::ChildHome home;
    const std::string file = home.File("OV2026_3.ovl");
    const std::string lines =
        "0\t1772323200\t3600\t25\t12.5\t41480000\tjane\tDemo ISP\tttyUSB0\tmodem\n"
        "1\t-5\t0\t61\t0.333333343\t\t\tTab\\there\t\t\n"
        "3\t1772323300\t0\t0\t0\t00000000\tback\\\\slash\t\t\t\n"
        // priceBits wins over the price text: the float comes back bit for bit.
        "4\t7\t0\t0\t999\t7fc00001\tx\t\t\t\n";
    auto r = Cli({"log", "append", file}, lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Cli({"log", "dump", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0\t1772323200\t3600\t25\t12.5\t41480000\tjane\tDemo ISP\tttyUSB0\tmodem\n"
              "1\t-5\t0\t61\t0.333333343\t3eaaaaab\t\tTab\\there\t\t\n"
              "3\t1772323300\t0\t0\t0\t00000000\tback\\\\slash\t\t\t\n"
              "4\t7\t0\t0\tnan\t7fc00001\tx\t\t\t\n");
    // Dumped lines append again to the same bytes, from CR LF lines too.
    const std::string copy = home.File("copy.ovl");
    std::string crlf;
    for (const char c : r.out) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    ASSERT_EQ(Cli({"log", "append", copy}, crlf).exitCode, 0);
    EXPECT_EQ(test::ReadFileOrEmpty(copy), test::ReadFileOrEmpty(file));
    // The log folder is made when missing.
    ASSERT_EQ(Cli({"log", "append", home.File("LogData/OV2026_3.ovl")}, r.out).exitCode, 0);
    EXPECT_EQ(test::ReadFileOrEmpty(home.File("LogData/OV2026_3.ovl")),
              test::ReadFileOrEmpty(file));
}

TEST(CliLogTest, MalformedLinesAreNamedAndNotWritten) {
    test::ChildHome home;
    const std::string file = home.File("log.ovl");
    const struct {
        const char* line;
        const char* why;
    } cases[] = {
        {"0\t1\t2\t3\t4.5\t\tu\te\td\n", "expected 10 fields"},
        {"x\t1\t2\t3\t4.5\t\tu\te\td\tt\n", "whole 32-bit"},
        {"0\t4294967296\t2\t3\t4.5\t\tu\te\td\tt\n", "whole 32-bit"},
        {"0\t1\t2\t3\tcheap\t\tu\te\td\tt\n", "price"},
        {"0\t1\t2\t3\t4\t123\tu\te\td\tt\n", "priceBits"},
        {"0\t1\t2\t3\t4\t-1234567\tu\te\td\tt\n", "priceBits"},
        {"0\t1\t2\t3\t4\t\tu\\q\te\td\tt\n", "escape"},
        {"2\t1\t2\t3\t4\t\tu\te\td\tt\n", "kind"},
        {"5\t1\t2\t3\t4\t\tu\te\td\tt\n", "kind"},
        {"0\t1\t-2\t3\t4\t\tu\te\td\tt\n", "negative"},
        {"1\t1\t0\t-3\t4\t\tu\te\td\tt\n", "negative"},
        {"0\t1\t2\t3\t0x10\t\tu\te\td\tt\n", "finite decimal"},
        {"0\t1\t2\t3\tinf\t\tu\te\td\tt\n", "finite decimal"},
        {"0\t1\t2\t3\tnan\t\tu\te\td\tt\n", "finite decimal"},
        {"0\t1\t2\t3\t 4\t\tu\te\td\tt\n", "finite decimal"},
        {"0\t1\t2\t3\t1e99\t\tu\te\td\tt\n", "finite decimal"},
        {"0\t1\t2\t3\t1.5e\t\tu\te\td\tt\n", "finite decimal"},
    };
    const std::string good = "0\t1\t2\t3\t1\t\tok\t\t\t\n";
    for (const auto& c : cases) {
        // Four good lines, then the bad fifth: nothing at all is appended.
        const std::string input = good + good + good + good + c.line;
        const auto r = Cli({"log", "append", file}, input);
        EXPECT_EQ(r.exitCode, 1) << c.line;
        EXPECT_NE(r.err.find("line 5: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file)) << c.line;
    }
}

TEST(CliLogTest, DumpReadsOnlyRegularFilesOfBoundedSize) {
    test::ChildHome home;
    const std::string fifo = home.File("fifo.ovl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = home.File("huge.ovl");
    test::WriteFileOrDie(huge, "");
    std::filesystem::resize_file(huge, (1ULL << 30) + 1);  // sparse: no disk is used
    const struct {
        std::string file;
        const char* why;
    } cases[] = {
        {"/dev/zero", "not a regular file"},  // would grow until memory runs out
        {fifo, "not a regular file"},         // would block forever
        {huge, "larger than 1 GiB"},
    };
    for (const auto& c : cases) {
        const auto r = Cli({"log", "dump", c.file});
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    }
}

TEST(CliLogTest, DumpStopsQuietlyAtATornRecordAndAppendRepairsIt) {
    test::ChildHome home;
    const std::string file = home.File("torn.ovl");
    ASSERT_EQ(Cli({"log", "append", file}, "3\t1\t0\t0\t0\t\tme\t\t\t\n").exitCode, 0);
    {
        FILE* f = std::fopen(file.c_str(), "ab");
        std::fwrite("\x00\x00\x00\x00\x01", 1, 5, f);
        std::fclose(f);
    }
    auto r = Cli({"log", "dump", file});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "3\t1\t0\t0\t0\t00000000\tme\t\t\t\n");
    ASSERT_EQ(Cli({"log", "append", file}, "4\t2\t0\t0\t0\t\tme\t\t\t\n").exitCode, 0);
    r = Cli({"log", "dump", file});
    EXPECT_EQ(r.out, "3\t1\t0\t0\t0\t00000000\tme\t\t\t\n4\t2\t0\t0\t0\t00000000\tme\t\t\t\n");
}

TEST(CliLogTest, APlantedLogFolderLinkIsNotFollowed) {
    test::ChildHome home;
    std::filesystem::create_directories(home.File("elsewhere"));
    ASSERT_EQ(::symlink(home.File("elsewhere").c_str(), home.File("LogData").c_str()), 0);
    const auto r =
        Cli({"log", "append", home.File("LogData/OV2026_3.ovl")}, "3\t1\t0\t0\t0\t\tme\t\t\t\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvanta-cli: " + home.File("LogData") + ": a symbolic link, not followed\n");
    EXPECT_TRUE(std::filesystem::is_empty(home.File("elsewhere")));
}

TEST(CliLogTest, PathAndErrors) {
    test::ChildHome home;
    EXPECT_EQ(Cli({"log", "path", "1999", "4"}).out, home.File("LogData/OV1999_4.ovl") + "\n");
    EXPECT_EQ(Cli({"log", "path", "2026", "12"}).out, home.File("LogData/OV2026_12.ovl") + "\n");
    EXPECT_EQ(Cli({"log", "path", "2026", "13"}).exitCode, 2);
    EXPECT_EQ(Cli({"log", "path", "2026", "0"}).exitCode, 2);
    EXPECT_EQ(Cli({"log", "dump", home.File("none.ovl")}).exitCode, 1);
    EXPECT_EQ(Cli({"log", "dump"}).exitCode, 2);
    test::WriteFileOrDie(home.File("file"), "");
    EXPECT_EQ(Cli({"log", "append", home.File("file/folder.ovl")}, "3\t1\t0\t0\t0\t\tme\t\t\t\n")
                  .exitCode,
              1);
}

}  // namespace
}  // namespace ov
