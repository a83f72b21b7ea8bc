// orvanta-cli reg, run as a separate process against a temporary data root.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args);
}

TEST(CliRegTest, SetListGetDelete) {
    test::ChildHome home;
    const std::string key = "HKLM\\Software\\Quorvex\\Orvanta";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } steps[] = {
        {{"reg", "list", key}, 1, ""},
        {{"reg", "set", key + "\\Dates", "Count", "REG_DWORD", "2"}, 0, ""},
        {{"reg", "set", key, "Text", "REG_SZ", "tab\there\\"}, 0, ""},
        {{"reg", "set", key, "Neg", "REG_DWORD", "-1"}, 0, ""},
        {{"reg", "set", key, "Hex", "REG_DWORD", "0x0000000A"}, 0, ""},
        {{"reg", "set", key, "@", "REG_SZ", "Belvarro"}, 0, ""},
        {{"reg", "set", key, "Bin", "REG_BINARY", "00ff10"}, 0, ""},
        {{"reg", "set", key, "Big", "REG_DWORD_BIG_ENDIAN", "12345678"}, 0, ""},
        {{"reg", "set", key, "Empty", "REG_SZ", ""}, 0, ""},
        {{"reg", "list", key},
         0,
         "Text\tREG_SZ\ttab\\there\\\\\nNeg\tREG_DWORD\t-1\nHex\tREG_DWORD\t10\n"
         "@\tREG_SZ\tBelvarro\nBin\tREG_BINARY\t00ff10\nBig\tREG_DWORD_BIG_ENDIAN\t12345678\n"
         "Empty\tREG_SZ\t\nDates\\\n"},
        {{"reg", "get", "HKEY_LOCAL_MACHINE\\software\\QUORVEX\\orvanta", "@"}, 0, "Belvarro\n"},
        {{"reg", "get", key + "\\Dates", "count"}, 0, "2\n"},
        {{"reg", "set", key, "TEXT", "REG_DWORD", "4294967295"}, 0, ""},
        {{"reg", "get", key, "Text"}, 0, "-1\n"},
        {{"reg", "delete", key, "text"}, 0, ""},
        {{"reg", "get", key, "Text"}, 1, ""},
        {{"reg", "delete", key, "Text"}, 1, ""},
        {{"reg", "delete", key + "\\Nowhere", "Text"}, 1, ""},
        {{"reg", "list", "HKCU\\Software\\Quorvex"}, 1, ""},
        {{"reg", "set", "HKCR\\Anything", "A", "REG_SZ", "x"}, 1, ""},
        {{"reg", "get", "HKCR\\MIME\\Database\\Rfc1766", "041b"}, 0, "sk;Slovak\n"},
    };
    for (const auto& step : steps) {
        const auto r = Cli(step.args);
        EXPECT_EQ(r.exitCode, step.exitCode)
            << step.args[1] << " " << step.args[2] << ": " << r.err;
        EXPECT_EQ(r.out, step.out) << step.args[1] << " " << step.args[2];
        EXPECT_EQ(r.err.empty(), step.exitCode == 0) << r.err;
    }
    EXPECT_TRUE(std::filesystem::exists(home.File("machine.reg")));
    EXPECT_FALSE(std::filesystem::exists(home.File("user.reg")));
}

TEST(CliRegTest, UsageErrors) {
    test::ChildHome home;
    const std::vector<std::vector<std::string>> cases = {
        {"reg"},
        {"reg", "list"},
        {"reg", "list", "HKLM", "extra"},
        {"reg", "move", "HKLM\\A"},
        {"reg", "list", "HKXX\\A"},
        {"reg", "set", "HKLM\\A", "N", "REG_QWORD", "1"},
        {"reg", "set", "HKLM\\A", "N", "REG_DWORD", "ten"},
        {"reg", "set", "HKLM\\A", "N", "REG_DWORD", "0x123456789"},
        {"reg", "set", "HKLM\\A", "N", "REG_DWORD", "4294967296"},
        {"reg", "set", "HKLM\\A", "N", "REG_BINARY", "abc"},
        {"reg", "set", "HKLM\\A", "N", "REG_BINARY", "zz"},
    };
    for (const auto& args : cases) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("usage: orvanta-cli reg"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(home.File("machine.reg")));
}

TEST(CliRegTest, TheRunValueIsAnAutostartFile) {
    test::ChildHome home;
    const std::string run = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_EQ(Cli({"reg", "set", run, "Orvanta", "REG_SZ", "/opt/orvanta/orvanta"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(home.File("config/autostart/Orvanta.desktop")));
    EXPECT_EQ(Cli({"reg", "list", run}).out, "Orvanta\tREG_SZ\t/opt/orvanta/orvanta\n");
    ASSERT_EQ(Cli({"reg", "delete", run, "Orvanta"}).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(home.File("config/autostart/Orvanta.desktop")));
}

TEST(CliRegTest, ProcessesWritingAtOnceLoseNothing) {
    test::ChildHome home;
    constexpr int kWriters = 12;
    std::vector<std::unique_ptr<test::BackgroundProcess>> writers;
    // All run at once, each saving its own value into the same hive.
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{OV_CLI_PATH, "reg", "set", "HKCU\\Shared",
                                     "W" + std::to_string(w), "REG_DWORD", std::to_string(w)}));
    }
    for (auto& writer : writers) {
        EXPECT_EQ(writer->Wait(), 0);
    }
    const auto r = Cli({"reg", "list", "HKCU\\Shared"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), kWriters) << r.out;
}

}  // namespace
}  // namespace ov
