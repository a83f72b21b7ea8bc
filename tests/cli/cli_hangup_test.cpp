// orvanta-cli hangup against the simulator in a temporary data root, answering on standard
// input as a user at the terminal would.
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args, input);
}

class CliHangUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Cli({"ras", "add-entry", "Work"}).exitCode, 0);
        ASSERT_EQ(Cli({"ras", "dial", "Demo ISP", "connected"}).exitCode, 0);
        ASSERT_EQ(Cli({"ras", "dial", "Work"}).exitCode, 0);
    }
    static std::string Up() {
        std::string entries;
        for (const char* entry : {"Demo ISP", "Work"}) {
            if (Cli({"ras", "list"}).out.find(std::string("\t") + entry + "\t") !=
                std::string::npos) {
                entries += std::string(entries.empty() ? "" : ",") + entry;
            }
        }
        return entries;
    }

    test::ChildHome m_home;
};

TEST_F(CliHangUpTest, AnswersDecideWhatIsHungUp) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string out;
        std::string prompts;
        std::string stillUp;
    } cases[] = {
        {{"hangup"}, "n\n", "", "Demo ISP: hang up? [y/N] ", "Demo ISP,Work"},
        {{"hangup"}, "", "", "Demo ISP: hang up? [y/N] ", "Demo ISP,Work"},  // end of input
        {{"hangup"}, "nope\n", "", "Demo ISP: hang up? [y/N] ", "Demo ISP,Work"},
        // Yes in any of its usual spellings goes on; the end of input then stops.
        {{"hangup"},
         "yes\n",
         "Demo ISP\thung-up\n",
         "Demo ISP: hang up? [y/N] Work: hang up? [y/N] ",
         "Work"},
        {{"hangup"},
         "YES\r\n",
         "Demo ISP\thung-up\n",
         "Demo ISP: hang up? [y/N] Work: hang up? [y/N] ",
         "Work"},
        {{"hangup"},
         "Y\n",
         "Demo ISP\thung-up\n",
         "Demo ISP: hang up? [y/N] Work: hang up? [y/N] ",
         "Work"},
        {{"hangup"},
         "y\nN\n",
         "Demo ISP\thung-up\n",
         "Demo ISP: hang up? [y/N] Work: hang up? [y/N] ",
         "Work"},
        {{"hangup", "WORK"}, "y\n", "Work\thung-up\n", "Work: hang up? [y/N] ", "Demo ISP"},
    };
    for (const auto& c : cases) {
        // Each case from the same two connections.
        ASSERT_EQ(Cli({"ras", "reset"}).exitCode, 0);
        SetUp();
        const auto r = Cli(c.args, c.input);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.input;
        EXPECT_EQ(r.err, c.prompts) << c.input;
        EXPECT_EQ(Up(), c.stillUp) << c.input;
    }
}

TEST_F(CliHangUpTest, YesAsksNothing) {
    auto r = Cli({"hangup", "demo isp", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Demo ISP\thung-up\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Up(), "Work");

    r = Cli({"hangup", "--yes"});
    EXPECT_EQ(r.out, "Work\thung-up\n");
    EXPECT_EQ(Up(), "");
    r = Cli({"hangup", "--yes"});  // nothing left: no line, no failure
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliHangUpTest, AnEntryNotConnectedOrNotKnownIsAFailure) {
    ASSERT_EQ(Cli({"hangup", "Work", "--yes"}).exitCode, 0);
    auto r = Cli({"hangup", "work", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvanta-cli: work: not connected\n");
    r = Cli({"hangup", "Nowhere", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvanta-cli: Nowhere: no such entry\n");
    EXPECT_EQ(Up(), "Demo ISP");
}

TEST_F(CliHangUpTest, ConnectionsWhoseNamesDifferOnlyInCaseBothMatch) {
    test::WriteFileOrDie(m_home.File("ras-sim.state"),
                         "orvanta-ras-sim 1\nnext-handle\t3\ndevice\tModem\tmodem\n"
                         "entry\tWork\tModem\t\nentry\tWORK\tModem\t\n"
                         "conn\t1\tWork\tModem\tmodem\t8192\nconn\t2\tWORK\tModem\tmodem\t8192\n");
    const auto r = Cli({"hangup", "work", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Work\thung-up\nWORK\thung-up\n");
    EXPECT_EQ(Cli({"ras", "list"}).out, "");
}

TEST_F(CliHangUpTest, FailuresAndUsage) {
    ASSERT_EQ(Cli({"ras", "fail", "600"}).exitCode, 0);
    auto r = Cli({"hangup", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvanta-cli: the connections cannot be listed\n");
    EXPECT_EQ(Up(), "Demo ISP,Work");

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"hangup", "a", "b"}, {"hangup", "--force"}}) {
        r = Cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("usage: orvanta-cli hangup [ENTRY] [--yes]"), std::string::npos);
    }
}

}  // namespace
}  // namespace ov
