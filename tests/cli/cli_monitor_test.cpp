// orvanta-cli monitor in the background, the simulator driven by orvanta-cli ras, the event
// lines checked in order. Real time, with a short poll period.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <thread>

#include "support/probe.h"

#include "platform/text_util.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

void Ras(std::vector<std::string> args) {
    args.insert(args.begin(), {OV_CLI_PATH, "ras"});
    const auto r = test::RunProcess(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

/// The EVENT and DETAIL of the next event line; the TIME field must be a local time.
std::pair<std::string, std::string> NextEvent(test::BackgroundProcess& monitor) {
    bool ok = false;
    const std::string line = monitor.ReadLine(10s, &ok);
    if (!ok) {
        ADD_FAILURE() << "no event line within 10 s";
        return {};
    }
    const auto fields = SplitFields(line);
    EXPECT_EQ(fields.size(), 3u) << line;
    EXPECT_EQ(fields[0].size(), 19u) << line;  // YYYY-MM-DD HH:MM:SS
    return {std::string(fields[1]), fields.size() > 2 ? std::string(fields[2]) : ""};
}

using Event = std::pair<std::string, std::string>;

TEST(CliMonitorTest, EventsOfACallInOrder) {
    test::ChildHome home;
    test::ScopedEnv poll("ORVANTA_POLL_MS", std::string("50"));
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "simulator"));

    Ras({"dial", "Demo ISP"});  // port opening: not tracked yet
    Ras({"state", "Demo ISP", "authenticate"});
    EXPECT_EQ(NextEvent(monitor), Event("dialing", "Demo ISP"));
    Ras({"state", "Demo ISP", "connected"});
    EXPECT_EQ(NextEvent(monitor), Event("connected", "Demo ISP"));
    Ras({"drop", "Demo ISP"});
    EXPECT_EQ(NextEvent(monitor), Event("ended", "Demo ISP"));

    monitor.Signal(SIGINT);
    EXPECT_EQ(NextEvent(monitor), Event("monitor-stopped", ""));
    EXPECT_EQ(monitor.Wait(), 0);
}

TEST(CliMonitorTest, TerminationEndsOpenCallsFirst) {
    test::ChildHome home;
    test::ScopedEnv poll("ORVANTA_POLL_MS", std::string("50"));
    Ras({"add-entry", "Work\tPlace"});
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "simulator"));
    Ras({"dial", "Demo ISP", "connected"});
    EXPECT_EQ(NextEvent(monitor), Event("connected", "Demo ISP"));
    Ras({"fail", "600", "5"});  // failed enumerations end no call
    Ras({"dial", "Work\tPlace", "authenticate"});
    EXPECT_EQ(NextEvent(monitor), Event("dialing", "Work\\tPlace"));

    monitor.Signal(SIGTERM);
    EXPECT_EQ(NextEvent(monitor), Event("ended", "Work\\tPlace"));
    EXPECT_EQ(NextEvent(monitor), Event("ended", "Demo ISP"));
    EXPECT_EQ(NextEvent(monitor), Event("monitor-stopped", ""));
    EXPECT_EQ(monitor.Wait(), 0);
}

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args);
}

/// The call log file of this month, as orvanta-cli names it.
std::string ThisMonthsLog() {
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &local);
    auto r = Cli(
        {"log", "path", std::to_string(local.tm_year + 1900), std::to_string(local.tm_mon + 1)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    if (!r.out.empty()) {
        r.out.pop_back();
    }
    return r.out;
}

/// A data root in Bratislava time, in English.
class CliMonitorLogTest : public ::testing::Test {
protected:
    CliMonitorLogTest() { tzset(); }
    ~CliMonitorLogTest() override {
        m_tz.reset();
        tzset();
    }
    test::ChildHome m_home;
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("50")};
    std::optional<test::ScopedEnv> m_tz{std::in_place, "TZ", std::string("Europe/Bratislava")};
    test::ScopedEnv m_all{"LC_ALL", std::nullopt};
    test::ScopedEnv m_messages{"LC_MESSAGES", std::nullopt};
    test::ScopedEnv m_lang{"LANG", std::string("en_US.UTF-8")};
};

TEST_F(CliMonitorLogTest, ACallIsLoggedPricedAndItsProgramEndedWithIt) {
    const std::string main = "HKLM\\Software\\Quorvex\\Orvanta";
    // 1.00 a minute all day in the every-day slot; nothing in the others.
    const std::string prices = "0000803f" + std::string(8 * 8, '0');
    test::TempDir probes;
    const std::string probe = test::CopyProbe(probes.Path(), "on connect");
    test::ProbeSetup probeSetup(probes.Path(), true);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"reg", "set", main + "\\Entries\\Time0", "Price", "REG_BINARY", prices},
             {"reg", "set", main + "\\ExeFiles", "Count", "REG_DWORD", "1"},
             {"reg", "set", main + "\\ExeFiles\\Exe0", "Path", "REG_SZ", probe},
             {"reg", "set", main + "\\ExeFiles\\Exe0", "Exit", "REG_DWORD", "1"}}) {
        ASSERT_EQ(Cli(args).exitCode, 0);
    }

    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "simulator"));
    Ras({"dial", "Demo ISP", "authenticate"});
    EXPECT_EQ(NextEvent(monitor), Event("dialing", "Demo ISP"));
    Ras({"state", "Demo ISP", "connected"});
    EXPECT_EQ(NextEvent(monitor), Event("connected", "Demo ISP"));
    pid_t program = 0;
    ASSERT_TRUE(test::WaitFor([&] { return (program = test::ReportedProbe(probes.Path())) != 0; }));
    EXPECT_TRUE(test::IsAlive(program));
    std::this_thread::sleep_for(1100ms);  // a call of at least a second
    Ras({"drop", "Demo ISP"});
    EXPECT_EQ(NextEvent(monitor), Event("ended", "Demo ISP"));
    EXPECT_TRUE(test::WaitFor([&] { return !test::IsAlive(program); }));
    monitor.Signal(SIGINT);
    EXPECT_EQ(NextEvent(monitor), Event("monitor-stopped", ""));
    EXPECT_EQ(monitor.Wait(), 0);
    if (test::IsAlive(program)) {
        ::kill(program, SIGKILL);
    }

    const auto dump = Cli({"log", "dump", ThisMonthsLog()});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    std::vector<std::vector<std::string>> records;
    std::string_view rest = dump.out;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const auto fields = SplitFields(rest.substr(0, end));
        records.emplace_back(fields.begin(), fields.end());
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    ASSERT_EQ(records.size(), 3u) << dump.out;
    EXPECT_EQ(records[0][0], "3");
    EXPECT_FALSE(records[0][6].empty());  // the login name
    EXPECT_EQ(records[2][0], "4");
    EXPECT_EQ(records[2][6], records[0][6]);

    const auto& call = records[1];
    ASSERT_EQ(call.size(), 10u);
    EXPECT_EQ(call[0], "0");
    EXPECT_EQ(call[7], "Demo ISP");
    EXPECT_EQ(call[8], "Simulated Modem");
    const long long seconds = std::stoll(call[2]) + std::stoll(call[3]);
    EXPECT_GE(std::stoll(call[2]), 1);
    // Priced by the tariff set above over dialing and connected time together.
    const auto price = Cli({"price", call[1], std::to_string(seconds)});
    EXPECT_EQ(price.out, call[4] + "\t" + call[5] + "\n");
    EXPECT_NE(call[5], "00000000");

    // The totals were saved at the end.
    auto r = Cli({"reg", "get", main, "EventTotTime"});
    EXPECT_EQ(r.out, std::to_string(seconds) + "\n") << r.err;
    r = Cli({"reg", "get", main, "EventTotPrice"});
    const std::string bits = call[5];  // the float's bytes are stored little-endian
    EXPECT_EQ(r.out,
              bits.substr(6, 2) + bits.substr(4, 2) + bits.substr(2, 2) + bits.substr(0, 2) + "\n");
}

TEST_F(CliMonitorLogTest, AWriteFailureIsAnErrorEventAndMonitoringGoesOn) {
    test::WriteFileOrDie(m_home.File("LogData"), "not a folder");
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "simulator"));
    const std::string path = ThisMonthsLog();
    const Event failure("error", "The call record cannot be written to the file\\n" + path + " (" +
                                     m_home.File("LogData") +
                                     ": Not a directory)\\nThe call still shows in the call list.");
    EXPECT_EQ(NextEvent(monitor), failure);
    monitor.Signal(SIGTERM);
    EXPECT_EQ(NextEvent(monitor), Event("monitor-stopped", ""));
    EXPECT_EQ(NextEvent(monitor), failure);
    EXPECT_EQ(monitor.Wait(), 0);
}

}  // namespace
}  // namespace ov
