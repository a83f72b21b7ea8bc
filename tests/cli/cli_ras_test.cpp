// orvanta-cli ras, run as a separate process against a temporary data root.
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

TEST(CliRasTest, DriveTheServiceAndReadItBack) {
    test::ChildHome home;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } steps[] = {
        {{"ras", "devices"}, 0, "Simulated Modem\tmodem\n"},
        {{"ras", "entries"}, 0, "Demo ISP\n"},
        {{"ras", "list"}, 0, ""},
        {{"ras", "add-device", "ISDN\tcard", "isdn"}, 0, ""},
        {{"ras", "add-entry", "Work", "ISDN\tcard", "jane"}, 0, ""},
        {{"ras", "entries"}, 0, "Demo ISP\nWork\n"},
        {{"ras", "devices"}, 0, "Simulated Modem\tmodem\nISDN\\tcard\tisdn\n"},
        {{"ras", "dial", "Demo ISP"}, 0, "1\n"},
        {{"ras", "dial", "Work", "authenticate"}, 0, "2\n"},
        {{"ras", "state", "Demo ISP", "connected"}, 0, ""},
        {{"ras", "list"}, 0, "1\tDemo ISP\tSimulated Modem\t8192\n2\tWork\tISDN\\tcard\t5\n"},
        {{"ras", "state", "Work", "14"}, 0, ""},
        {{"ras", "drop", "Demo ISP"}, 0, ""},
        {{"ras", "list"}, 0, "2\tWork\tISDN\\tcard\t14\n"},
        {{"ras", "reset"}, 0, ""},
        {{"ras", "list"}, 0, ""},
        {{"ras", "fail", "600", "2"}, 0, ""},
    };
    for (const auto& step : steps) {
        const auto r = Cli(step.args);
        EXPECT_EQ(r.exitCode, step.exitCode) << step.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, step.out) << step.args[1];
    }
}

TEST(CliRasTest, BadInputFailsClearly) {
    test::ChildHome home;
    ASSERT_EQ(Cli({"ras", "dial", "Demo ISP"}).exitCode, 0);
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string errPart;  // what the one-line message must say
    } cases[] = {
        {{"ras", "dial", "Nobody"}, 1, "Nobody: no such phone-book entry"},
        {{"ras", "dial", "Demo ISP"}, 1, "already connected"},
        {{"ras", "state", "Demo ISP", "sleeping"}, 1, "unknown state 'sleeping'"},
        {{"ras", "dial", "Demo ISP", "12x"}, 1, "unknown state '12x'"},
        {{"ras", "state", "Nobody", "5"}, 1, "no such phone-book entry"},
        {{"ras", "drop", "Nobody"}, 1, "no such phone-book entry"},
        {{"ras", "add-entry", "demo isp"}, 1, "already exists"},
        {{"ras", "add-entry", "X", "No Device"}, 1, "no such device"},
        {{"ras", "fail", "zero"}, 1, "ERROR must be"},
        {{"ras", "fail", "600", "-1"}, 1, "COUNT must be"},
        {{"ras"}, 2, "usage: orvanta-cli ras"},
        {{"ras", "dial"}, 2, "usage: orvanta-cli ras"},
        {{"ras", "teleport"}, 2, "usage: orvanta-cli ras"},
    };
    for (const auto& c : cases) {
        const auto r = Cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << c.args.back() << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST(CliRasTest, DamagedStateIsKeptAsideAndReported) {
    test::ChildHome home;
    test::WriteFileOrDie(home.File("ras-sim.state"), "garbage\n");
    auto r = Cli({"ras", "entries"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Demo ISP\n");
    EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(home.Path())) {
        kept += e.path().filename().string().rfind("ras-sim.state.damaged-", 0) == 0;
    }
    EXPECT_EQ(kept, 1);
    r = Cli({"ras", "entries"});  // nothing damaged is left to report
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(CliRasTest, GlobalOptions) {
    test::ChildHome home;
    test::TempDir other;
    EXPECT_EQ(Cli({"--home", other.Path(), "ras", "add-entry", "Elsewhere"}).exitCode, 0);
    EXPECT_EQ(Cli({"--home", other.Path(), "ras", "entries"}).out, "Demo ISP\nElsewhere\n");
    EXPECT_EQ(Cli({"ras", "entries"}).out, "Demo ISP\n");  // ORVANTA_HOME untouched
    EXPECT_EQ(Cli({"--version"}).exitCode, 0);
    EXPECT_EQ(Cli({"--help"}).exitCode, 0);
    EXPECT_EQ(Cli({"ras", "--help"}).exitCode, 0);
    EXPECT_EQ(Cli({}).exitCode, 2);
    EXPECT_EQ(Cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"--bogus", "ras"}).exitCode, 2);
}

}  // namespace
}  // namespace ov
