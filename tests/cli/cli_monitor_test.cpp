// orvanta-cli monitor in the background, the simulator driven by orvanta-cli ras, the event
// lines checked in order. Real time, with a short poll period.
#include <gtest/gtest.h>

#include <csignal>

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
    test::TempHome home;
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
    test::TempHome home;
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

}  // namespace
}  // namespace ov
