#include "monitor/connection_monitor.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_ras.h"

namespace ov {
namespace {

constexpr Time32 kT0 = 1'000'000'000;

struct Event {
    std::uint32_t message;
    ConnectionRecord record;  // a copy: the pointer is valid only during the message
    std::uintptr_t polledArray = 0;
};

class Recorder final : public MessageWindow {
public:
    using MessageWindow::MessageWindow;
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t /*w*/,
                                std::intptr_t lParam) override {
        Event e{message, {}, 0};
        if (message == WM_CONN_DIALING || message == WM_CONN_CONNECTED ||
            message == WM_CONN_ENDED) {
            e.record = *reinterpret_cast<const ConnectionRecord*>(lParam);
        }
        if (message == WM_CONN_POLLED) {
            e.polledArray = static_cast<std::uintptr_t>(lParam);
        }
        events.push_back(e);
        return 0;
    }
    /// The events other than WM_CONN_POLLED, which every cycle sends.
    std::vector<Event> Changes() const {
        std::vector<Event> out;
        for (const auto& e : events) {
            if (e.message != WM_CONN_POLLED) {
                out.push_back(e);
            }
        }
        return out;
    }
    std::vector<Event> events;
};

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() { monitor.SetWindow(&window); }

    std::vector<Event> PollAndTakeChanges() {
        window.events.clear();
        monitor.Poll();
        return window.Changes();
    }

    test::FakeRasProvider fake;
    RasApi ras{fake};
    ManualClock clock{kT0};
    MessageLoop loop;
    Recorder window{loop};
    ConnectionMonitor monitor{ras, clock};
};

TEST_F(MonitorTest, AdmissionDependsOnTheFirstStateSeen) {
    const struct {
        std::int32_t state;
        std::uint32_t message;  // 0: not admitted
    } cases[] = {
        {0, 0},
        {1, 0},
        {4, 0},
        {RASCS_Authenticate, WM_CONN_DIALING},
        {14, WM_CONN_DIALING},
        {4096, WM_CONN_DIALING},
        {RASCS_Connected, WM_CONN_CONNECTED},
        {RASCS_Disconnected, 0},
        {-1, 0},
    };
    for (const auto& c : cases) {
        test::FakeRasProvider provider;
        RasApi api(provider);
        ConnectionMonitor m(api, clock);
        m.SetWindow(&window);
        provider.Add("ISP", c.state);
        window.events.clear();
        m.Poll();
        const auto changes = window.Changes();
        if (c.message == 0) {
            EXPECT_TRUE(changes.empty()) << c.state;
            EXPECT_TRUE(m.Table().empty()) << c.state;
        } else {
            ASSERT_EQ(changes.size(), 1u) << c.state;
            EXPECT_EQ(changes[0].message, c.message) << c.state;
            EXPECT_EQ(changes[0].record.stateAtCreation, c.state);
            EXPECT_EQ(m.Table().size(), 1u);
        }
        m.SetWindow(nullptr);  // its records end quietly with it
    }
}

TEST_F(MonitorTest, FirstSeenConnectedSendsOnlyConnected) {
    fake.SetUserName("ISP", "jane");
    fake.Add("ISP", RASCS_Connected, "ttyUSB0", "modem");
    const auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    const auto& r = changes[0].record;
    EXPECT_EQ(changes[0].message, WM_CONN_CONNECTED);
    EXPECT_EQ(r.startTime, kT0);
    EXPECT_EQ(r.connectTime, kT0);
    EXPECT_EQ(r.dialingSeconds, 0);
    EXPECT_TRUE(r.connected);
    EXPECT_EQ(r.userName, "jane");
    EXPECT_EQ(r.deviceName, "ttyUSB0");
    EXPECT_EQ(r.deviceType, "modem");
    // And the cycle ends with WM_CONN_POLLED carrying the array.
    EXPECT_EQ(window.events.back().message, WM_CONN_POLLED);
    EXPECT_NE(window.events.back().polledArray, 0u);
}

TEST_F(MonitorTest, DialingThenConnectedThenGone) {
    const HRASCONN h = fake.Add("ISP", RASCS_Authenticate);
    auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].message, WM_CONN_DIALING);
    EXPECT_EQ(changes[0].record.startTime, kT0);
    EXPECT_EQ(changes[0].record.connectTime, 0);
    EXPECT_TRUE(changes[0].record.userName.empty());  // no dial parameters: admitted anyway

    clock.Advance(2);
    EXPECT_TRUE(PollAndTakeChanges().empty());  // still authenticating

    clock.Advance(30);
    fake.SetState(h, RASCS_Connected);
    changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].message, WM_CONN_CONNECTED);
    EXPECT_EQ(changes[0].record.connectTime, kT0 + 32);
    EXPECT_EQ(changes[0].record.dialingSeconds, 32);

    clock.Advance(600);
    EXPECT_TRUE(PollAndTakeChanges().empty());  // connected again: nothing new
    fake.Remove(h);
    changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].message, WM_CONN_ENDED);
    EXPECT_EQ(changes[0].record.connectedSeconds, 600);
    EXPECT_EQ(changes[0].record.dialingSeconds, 32);
    EXPECT_FALSE(changes[0].record.connected);
    EXPECT_TRUE(monitor.Table().empty());
    EXPECT_EQ(window.events.back().message, WM_CONN_POLLED);
    EXPECT_EQ(window.events.back().polledArray, 0u);  // no connection: null array
}

TEST_F(MonitorTest, NeverConnectedAndGone) {
    const HRASCONN h = fake.Add("ISP", 14);
    PollAndTakeChanges();
    clock.Advance(45);
    fake.SetState(h, RASCS_Disconnected);  // a tracked record stays until RAS drops it
    EXPECT_TRUE(PollAndTakeChanges().empty());
    fake.Remove(h);
    const auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].message, WM_CONN_ENDED);
    EXPECT_EQ(changes[0].record.connectedSeconds, 0);
    EXPECT_EQ(changes[0].record.dialingSeconds, 45);
}

TEST_F(MonitorTest, FailedEnumerationEndsNoCall) {
    fake.Add("ISP", RASCS_Connected);
    PollAndTakeChanges();
    fake.FailNextEnumerations({600, 668});
    for (int i = 0; i < 2; ++i) {
        window.events.clear();
        monitor.Poll();
        EXPECT_TRUE(window.events.empty());  // no reconciling, not even WM_CONN_POLLED
        EXPECT_EQ(monitor.Table().size(), 1u);
    }
    // A too-small buffer whose retry fails is skipped as well.
    fake.Add("Second", RASCS_Connected);
    fake.FailNextEnumerations({0, 600});
    window.events.clear();
    monitor.Poll();
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(monitor.Table().size(), 1u);
    monitor.Poll();
    EXPECT_EQ(monitor.Table().size(), 2u);
}

TEST_F(MonitorTest, ThreeConnectionsTakeTheRetryWithARoomyBuffer) {
    fake.Add("A", RASCS_Connected);
    fake.Add("B", RASCS_Authenticate);
    fake.Add("C", RASCS_Connected);
    const auto changes = PollAndTakeChanges();
    EXPECT_EQ(fake.EnumerationCalls(), 2);  // one record first, then room for three
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].record.entryName, "A");
    EXPECT_EQ(changes[1].message, WM_CONN_DIALING);
    EXPECT_EQ(changes[2].record.entryName, "C");
    ASSERT_EQ(monitor.Table().size(), 3u);
}

TEST_F(MonitorTest, NamesMatchExactly) {
    fake.Add("ISP", RASCS_Connected);
    fake.Add("ISP", RASCS_Connected);  // same name twice: one record
    fake.Add("isp", RASCS_Connected);  // case differs: a record of its own
    const auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 2u);
    ASSERT_EQ(monitor.Table().size(), 2u);
    EXPECT_EQ(monitor.Table()[0].entryName, "ISP");
    EXPECT_EQ(monitor.Table()[1].entryName, "isp");
}

TEST_F(MonitorTest, RedialledBetweenPollsStaysTheSameRecord) {
    const HRASCONN first = fake.Add("ISP", RASCS_Connected);
    PollAndTakeChanges();
    fake.Remove(first);
    fake.Add("ISP", RASCS_Authenticate);
    clock.Advance(2);
    EXPECT_TRUE(PollAndTakeChanges().empty());
    ASSERT_EQ(monitor.Table().size(), 1u);
    EXPECT_EQ(monitor.Table()[0].startTime, kT0);
}

TEST_F(MonitorTest, CandidateWithoutAStatusWaitsForALaterCycle) {
    const HRASCONN h = fake.Add("ISP", RASCS_Authenticate);
    fake.FailStatusOf(h, true);
    EXPECT_TRUE(PollAndTakeChanges().empty());
    EXPECT_TRUE(monitor.Table().empty());
    clock.Advance(2);
    fake.FailStatusOf(h, false);
    const auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].record.startTime, kT0 + 2);  // dialing counts from admission
}

TEST_F(MonitorTest, TrackedRecordWithoutAStatusDoesNotChange) {
    const HRASCONN h = fake.Add("ISP", RASCS_Authenticate);
    PollAndTakeChanges();
    fake.SetState(h, RASCS_Connected);
    fake.FailStatusOf(h, true);
    EXPECT_TRUE(PollAndTakeChanges().empty());
    EXPECT_FALSE(monitor.Table()[0].connected);
}

TEST_F(MonitorTest, VanishedRecordsEndLastAdmittedFirst) {
    const HRASCONN a = fake.Add("A", RASCS_Connected);
    const HRASCONN b = fake.Add("B", RASCS_Connected);
    PollAndTakeChanges();
    fake.Remove(a);
    fake.Remove(b);
    const auto changes = PollAndTakeChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].record.entryName, "B");
    EXPECT_EQ(changes[1].record.entryName, "A");
}

TEST(MonitorStopTest, StopEndsOpenCallsLaterAdmittedFirstThenReportsTheStop) {
    test::FakeRasProvider fake;
    RasApi ras(fake);
    ManualClock clock(kT0);
    MessageLoop loop;
    Recorder window(loop);
    ConnectionMonitor::Options options;
    options.pollPeriod = std::chrono::hours(1);
    options.idlePriority = false;
    ConnectionMonitor monitor(ras, clock, options);
    fake.Add("First", RASCS_Connected);

    // Stopped: Stop sends nothing.
    EXPECT_TRUE(monitor.Stop());
    EXPECT_TRUE(window.events.empty());

    ASSERT_TRUE(monitor.Start(&window));
    EXPECT_TRUE(monitor.IsRunning());
    // Wait (handling the poll thread's messages) until its first cycle is done.
    loop.WaitUntil(
        [&] { return !window.events.empty() && window.events.back().message == WM_CONN_POLLED; });
    ASSERT_TRUE(monitor.Stop());
    EXPECT_FALSE(monitor.IsRunning());
    window.events.clear();

    // Second run: two calls open at the stop.
    fake.Add("Second", RASCS_Authenticate);
    ASSERT_TRUE(monitor.Start(&window));
    loop.WaitUntil(
        [&] { return !window.events.empty() && window.events.back().message == WM_CONN_POLLED; });
    clock.Advance(10);
    ASSERT_TRUE(monitor.Stop());
    const auto changes = window.Changes();
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_EQ(changes[0].message, WM_MONITOR_STARTED);
    EXPECT_EQ(changes[1].message, WM_CONN_CONNECTED);
    EXPECT_EQ(changes[2].message, WM_CONN_DIALING);
    EXPECT_EQ(changes[3].message, WM_CONN_ENDED);
    EXPECT_EQ(changes[3].record.entryName, "Second");
    EXPECT_EQ(changes[3].record.dialingSeconds, 10);
    EXPECT_EQ(changes[4].message, WM_CONN_ENDED);
    EXPECT_EQ(changes[4].record.entryName, "First");
    EXPECT_EQ(changes[4].record.connectedSeconds, 10);
    EXPECT_EQ(changes[5].message, WM_MONITOR_STOPPED);
    EXPECT_TRUE(monitor.Table().empty());
}

TEST_F(MonitorTest, WithoutConnectionsAnIdleCycleCanSendNothing) {
    ConnectionMonitor::Options options;
    options.polledWithoutConnections = false;
    ConnectionMonitor quiet(ras, clock, options);
    quiet.SetWindow(&window);
    const auto polledAfter = [&] {
        window.events.clear();
        quiet.Poll();
        return !window.events.empty() && window.events.back().message == WM_CONN_POLLED;
    };
    EXPECT_FALSE(polledAfter());
    EXPECT_TRUE(window.events.empty());
    const HRASCONN handle = fake.Add("First", RASCS_Connected);
    EXPECT_TRUE(polledAfter());  // a cycle with a connection still ends with it
    fake.Remove(handle);
    EXPECT_FALSE(polledAfter());
    ASSERT_EQ(window.events.size(), 1u);  // the end of the call is still told
    EXPECT_EQ(window.events[0].message, WM_CONN_ENDED);
}

}  // namespace
}  // namespace ov
