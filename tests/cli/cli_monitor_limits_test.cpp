// orvanta-cli monitor metering a simulated call with the limit rule: the limit event, the
// hang-up countdown and its cancellation. Real time: the price case waits for a second
// charging unit of one minute.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "platform/text_util.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;
using Event = std::pair<std::string, std::string>;

constexpr const char* kMachine = "HKLM\\Software\\Quorvex\\Orvanta";
constexpr const char* kUser = "HKCU\\Software\\Quorvex\\Orvanta";

std::string Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    const auto r = test::RunProcess(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

void Set(const char* key, const std::string& name, const std::string& type,
         const std::string& data) {
    Cli({"reg", "set", key, name, type, data});
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t eol; (eol = text.find('\n', start)) != std::string::npos; start = eol + 1) {
        lines.push_back(text.substr(start, eol - start));
    }
    return lines;
}

Event NextEvent(test::BackgroundProcess& monitor, std::chrono::seconds within) {
    bool ok = false;
    const std::string line = monitor.ReadLine(within, &ok);
    if (!ok) {
        ADD_FAILURE() << "no event line in time";
        return {};
    }
    const auto fields = SplitFields(line);
    EXPECT_EQ(fields.size(), 3u) << line;
    return {std::string(fields[1]), fields.size() > 2 ? std::string(fields[2]) : ""};
}

class CliMonitorLimitsTest : public ::testing::Test {
protected:
    CliMonitorLimitsTest() {
        // 1.00 for each one-minute unit, all day.
        Set("HKLM\\Software\\Quorvex\\Orvanta\\Entries\\Time0", "Price", "REG_BINARY",
            "0000803f" + std::string(64, '0'));
        Set(kMachine, "EventUseNotification", "REG_DWORD", "1");
        Set(kUser, "HangUpTimeout", "REG_DWORD", "2");
    }

    test::ChildHome m_home;
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("50")};
};

TEST_F(CliMonitorLimitsTest, PriceLimitHangsUpAfterTheCountdown) {
    Set(kMachine, "EventType", "REG_DWORD", "3");
    Set(kMachine, "EventPrice", "REG_BINARY", "0000c03f");  // 1.5
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor, 10s), Event("monitor-started", "simulator"));
    Cli({"ras", "dial", "Demo ISP", "connected"});
    EXPECT_EQ(NextEvent(monitor, 10s), Event("connected", "Demo ISP"));

    // The second unit begins a minute after the call was first seen.
    const auto connected = std::chrono::steady_clock::now();
    EXPECT_EQ(NextEvent(monitor, 75s),
              Event("limit", "Price for current connection is higher then $1.50"));
    const auto fired = std::chrono::steady_clock::now();
    EXPECT_GE(fired - connected, 58s);
    EXPECT_EQ(NextEvent(monitor, 5s), Event("hangup", "Demo ISP"));
    EXPECT_LE(std::chrono::steady_clock::now() - fired, 4s);
    EXPECT_EQ(NextEvent(monitor, 10s), Event("ended", "Demo ISP"));
    EXPECT_EQ(Cli({"ras", "list"}), "");

    // The display closed: the event settings were stored.
    EXPECT_EQ(Cli({"reg", "get", kUser, "EventWndX"}), "874\n");
    monitor.Signal(SIGINT);
    EXPECT_EQ(NextEvent(monitor, 10s), Event("monitor-stopped", ""));
    EXPECT_EQ(monitor.Wait(), 0);

    // The call log holds the call with the price of its two begun units.
    std::string logFile;
    for (const auto& entry : std::filesystem::directory_iterator(m_home.File("LogData"))) {
        logFile = entry.path().string();
    }
    const auto records = SplitLines(Cli({"log", "dump", logFile}));
    ASSERT_EQ(records.size(), 3u);
    const auto call = SplitFields(records[1]);
    EXPECT_EQ(call[0], "0");
    EXPECT_EQ(call[4], "2");
}

TEST_F(CliMonitorLimitsTest, UserSignalCancelsTheCountdown) {
    // More than a second of the call: fires at once, and again after each cancel while the
    // first unit lasts, since it counts again from that unit's start.
    Set(kMachine, "EventType", "REG_DWORD", "1");
    Set(kMachine, "EventValueType", "REG_DWORD", "2");  // seconds
    Set(kMachine, "EventTime", "REG_DWORD", "1");
    Set(kUser, "HangUpTimeout", "REG_DWORD", "3");
    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor, 10s), Event("monitor-started", "simulator"));
    Cli({"ras", "dial", "Demo ISP", "connected"});
    EXPECT_EQ(NextEvent(monitor, 10s), Event("connected", "Demo ISP"));

    // Each notification cancelled as it opens; for longer than a countdown would take.
    const auto until = std::chrono::steady_clock::now() + 6s;
    int limits = 0;
    while (std::chrono::steady_clock::now() < until) {
        const Event event = NextEvent(monitor, 5s);
        ASSERT_EQ(event, Event("limit", "Time of current connection is higher then 1 seconds"));
        monitor.Signal(SIGUSR1);
        ++limits;
    }
    EXPECT_GE(limits, 3);
    EXPECT_NE(Cli({"ras", "list"}), "");  // still up

    Cli({"ras", "drop", "Demo ISP"});
    Event event;
    do {
        event = NextEvent(monitor, 10s);
        monitor.Signal(SIGUSR1);
    } while (event.first == "limit");
    EXPECT_EQ(event, Event("ended", "Demo ISP"));
    monitor.Signal(SIGTERM);
    EXPECT_EQ(NextEvent(monitor, 10s), Event("monitor-stopped", ""));
    EXPECT_EQ(monitor.Wait(), 0);
}

}  // namespace
}  // namespace ov
