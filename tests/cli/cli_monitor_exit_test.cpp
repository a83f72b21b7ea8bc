// orvanta-cli monitor when the world around it goes wrong: its reader goes away, its terminal
// closes, a second monitor starts, a setting is edited while it runs. No call is lost.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <thread>

#include "support/probe.h"

#include "platform/text_util.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args, input);
}

void Ras(std::vector<std::string> args) {
    args.insert(args.begin(), "ras");
    const auto r = Cli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

/// The EVENT field of the next event line, empty when none comes within 10 s.
std::string NextEvent(test::BackgroundProcess& monitor) {
    bool ok = false;
    const std::string line = monitor.ReadLine(10s, &ok);
    const auto fields = SplitFields(line);
    return ok && fields.size() == 3 ? std::string(fields[1]) : std::string();
}

/// This month's call log file.
std::string ThisMonthsLog() {
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &local);
    auto path =
        Cli({"log", "path", std::to_string(local.tm_year + 1900), std::to_string(local.tm_mon + 1)})
            .out;
    if (!path.empty()) {
        path.pop_back();
    }
    return path;
}

/// The kinds and entries of this month's call log, one "KIND ENTRY" a record.
std::vector<std::string> LoggedRecords() {
    const auto dump = Cli({"log", "dump", ThisMonthsLog()});
    std::vector<std::string> records;
    std::string_view rest = dump.out;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const auto fields = SplitFields(rest.substr(0, end));
        if (fields.size() == 10) {
            records.push_back(std::string(fields[0]) + " " + std::string(fields[7]));
        }
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return records;
}

const std::vector<std::string> kOneCall = {"3 ", "0 Demo ISP", "4 "};

class CliMonitorExitTest : public ::testing::Test {
protected:
    test::ChildHome m_home;
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("50")};
};

TEST_F(CliMonitorExitTest, AClosedOutputStopsThePrintingNotTheLogging) {
    const std::string errors = m_home.File("stderr");
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"}, errors);
    ASSERT_EQ(NextEvent(monitor), "monitor-started");
    Ras({"dial", "Demo ISP", "connected"});
    ASSERT_EQ(NextEvent(monitor), "connected");
    std::this_thread::sleep_for(1100ms);  // a call of at least a second
    monitor.CloseOutput();                // as `| head -n 2` does
    Ras({"drop", "Demo ISP"});
    // The ended line fails to print; the call is logged all the same.
    EXPECT_TRUE(test::WaitFor([] { return LoggedRecords().size() == 2; }));
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(LoggedRecords(), kOneCall);
    const std::string said = test::ReadFileOrEmpty(errors);
    EXPECT_EQ(said.find("can no longer be printed"), said.rfind("can no longer be printed"));
    EXPECT_NE(said.find("can no longer be printed"), std::string::npos) << said;
}

TEST_F(CliMonitorExitTest, DamageInTheLogIsMovedAsideAndSaid) {
    ASSERT_EQ(Cli({"log", "append", ThisMonthsLog()}, "3\t1\t0\t0\t0\t\tme\t\t\t\n").exitCode, 0);
    const std::string whole = test::ReadFileOrEmpty(ThisMonthsLog());
    // A record whose first text length is negative, then a whole one after it.
    std::string damaged = whole;
    damaged[30] = damaged[31] = damaged[32] = damaged[33] = '\xff';
    test::WriteFileOrDie(ThisMonthsLog(), whole + damaged + whole);

    const std::string errors = m_home.File("stderr");
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"}, errors);
    ASSERT_EQ(NextEvent(monitor), "monitor-started");
    EXPECT_EQ(NextEvent(monitor), "error");  // the start marker's append repaired the file
    monitor.Signal(SIGINT);
    EXPECT_EQ(monitor.Wait(), 0);
    const std::string said = test::ReadFileOrEmpty(errors);
    const std::string bytes = std::to_string(2 * whole.size()) + " bytes";
    EXPECT_NE(said.find(bytes + " from there are kept in " + ThisMonthsLog() + ".torn-"),
              std::string::npos)
        << said;
    EXPECT_EQ(LoggedRecords(), (std::vector<std::string>{"3 ", "3 ", "4 "}));
}

TEST_F(CliMonitorExitTest, AClosedTerminalEndsTheOpenCallAsTermination) {
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    ASSERT_EQ(NextEvent(monitor), "monitor-started");
    Ras({"dial", "Demo ISP", "connected"});
    ASSERT_EQ(NextEvent(monitor), "connected");
    std::this_thread::sleep_for(1100ms);  // a call of at least a second
    monitor.Signal(SIGHUP);
    EXPECT_EQ(NextEvent(monitor), "ended");
    EXPECT_EQ(NextEvent(monitor), "monitor-stopped");
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(LoggedRecords(), kOneCall);
}

TEST_F(CliMonitorExitTest, OneMonitorPerDataRoot) {
    {
        test::BackgroundProcess first({OV_CLI_PATH, "monitor"});
        ASSERT_EQ(NextEvent(first), "monitor-started");
        const auto second = Cli({"monitor"});
        EXPECT_EQ(second.exitCode, 1);
        EXPECT_EQ(second.out, "");
        EXPECT_NE(second.err.find("in use by process " + std::to_string(first.Pid())),
                  std::string::npos)
            << second.err;
        Ras({"dial", "Demo ISP", "connected"});
        ASSERT_EQ(NextEvent(first), "connected");
        std::this_thread::sleep_for(1100ms);  // a call of at least a second
        Ras({"drop", "Demo ISP"});
        ASSERT_EQ(NextEvent(first), "ended");
        first.Signal(SIGINT);
        EXPECT_EQ(first.Wait(), 0);
    }
    EXPECT_EQ(LoggedRecords(), kOneCall);  // logged once

    // The data root is free again once the first has ended.
    test::BackgroundProcess next({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(next), "monitor-started");
    next.Signal(SIGINT);
    EXPECT_EQ(next.Wait(), 0);
}

TEST_F(CliMonitorExitTest, ASettingEditedDuringTheRunSurvivesItsEnd) {
    const std::string main = "HKLM\\Software\\Quorvex\\Orvanta";
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    ASSERT_EQ(NextEvent(monitor), "monitor-started");
    ASSERT_EQ(Cli({"reg", "set", main, "EventTime", "REG_DWORD", "99"}).exitCode, 0);
    Ras({"dial", "Demo ISP", "connected"});
    ASSERT_EQ(NextEvent(monitor), "connected");
    Ras({"drop", "Demo ISP"});
    ASSERT_EQ(NextEvent(monitor), "ended");
    monitor.Signal(SIGINT);
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(Cli({"reg", "get", main, "EventTime"}).out, "99\n");
    // What the monitor itself changed is saved all the same.
    EXPECT_EQ(Cli({"reg", "get", main, "EventTotTime"}).exitCode, 0);
}

}  // namespace
}  // namespace ov
