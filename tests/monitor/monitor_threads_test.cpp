// The poll thread against the window thread: Stop must never deadlock against a notification
// already under way, and every running period is framed by its start and stop messages.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "monitor/connection_monitor.h"
#include "support/fake_ras.h"

namespace ov {
namespace {

class CountingWindow final : public MessageWindow {
public:
    using MessageWindow::MessageWindow;
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) override {
        if (message != WM_CONN_POLLED) {
            messages.push_back(message);
        }
        return 0;
    }
    std::vector<std::uint32_t> messages;
};

/// A monitor that says when its poll thread is about to send the dialing notification.
class SignallingMonitor final : public ConnectionMonitor {
public:
    using ConnectionMonitor::ConnectionMonitor;
    std::atomic<bool> inNotification{false};

protected:
    void OnNewConnection(ConnectionRecord& record) override {
        inNotification = true;
        ConnectionMonitor::OnNewConnection(record);
    }
};

/// Aborts the test program when a round takes longer than the limit: a hang must fail loudly
/// instead of running into the test runner's time-out.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : m_limit(limit), m_thread([this] { Run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Pet() {
        std::lock_guard lock(m_mutex);
        ++m_round;
        m_wake.notify_all();
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            const auto seen = m_round;
            if (!m_wake.wait_for(lock, m_limit, [&] { return m_done || m_round != seen; })) {
                std::fprintf(stderr, "watchdog: a round took longer than %lld s\n",
                             static_cast<long long>(m_limit.count()));
                std::abort();
            }
        }
    }
    std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    long m_round = 0;
    bool m_done = false;
    std::thread m_thread;
};

TEST(MonitorThreadsTest, StopWhileThePollThreadIsInsideANotification) {
    test::FakeRasProvider fake;
    fake.Add("ISP", RASCS_Authenticate);
    RasApi ras(fake);
    const SystemClock clock;
    MessageLoop loop;
    CountingWindow window(loop);
    ConnectionMonitor::Options options;
    options.pollPeriod = std::chrono::milliseconds(1);
    options.idlePriority = false;
    SignallingMonitor monitor(ras, clock, options);
    Watchdog watchdog(std::chrono::seconds(5));

    constexpr int kRounds = 1000;
    for (int round = 0; round < kRounds; ++round) {
        window.messages.clear();
        monitor.inNotification = false;
        ASSERT_TRUE(monitor.Start(&window));
        // The window thread does not handle messages here, so the poll thread stays blocked
        // in its send until Stop lets it through.
        while (!monitor.inNotification) {
            std::this_thread::yield();
        }
        ASSERT_TRUE(monitor.Stop());
        const std::vector<std::uint32_t> expected{WM_MONITOR_STARTED, WM_CONN_DIALING,
                                                  WM_CONN_ENDED, WM_MONITOR_STOPPED};
        ASSERT_EQ(window.messages, expected) << "round " << round;
        watchdog.Pet();
    }
}

TEST(MonitorThreadsTest, StopAtAnyMomentOfACycle) {
    test::FakeRasProvider fake;
    const HRASCONN h = fake.Add("ISP", RASCS_Authenticate);
    RasApi ras(fake);
    const SystemClock clock;
    MessageLoop loop;
    CountingWindow window(loop);
    ConnectionMonitor::Options options;
    options.pollPeriod = std::chrono::milliseconds(1);
    options.idlePriority = false;
    ConnectionMonitor monitor(ras, clock, options);
    Watchdog watchdog(std::chrono::seconds(5));

    for (int round = 0; round < 300; ++round) {
        window.messages.clear();
        fake.SetState(h, round % 3 == 0 ? RASCS_Connected : RASCS_Authenticate);
        ASSERT_TRUE(monitor.Start(&window));
        for (int spin = 0; spin < round % 7; ++spin) {
            loop.ProcessPending();
            std::this_thread::yield();
        }
        ASSERT_TRUE(monitor.Stop());
        // Framed by start and stop; every admitted call ended exactly once.
        ASSERT_FALSE(window.messages.empty());
        EXPECT_EQ(window.messages.front(), WM_MONITOR_STARTED);
        EXPECT_EQ(window.messages.back(), WM_MONITOR_STOPPED);
        // The state stays put within a round, so each admission sends exactly one of
        // dialing or connected.
        int admitted = 0;
        int ended = 0;
        for (const auto m : window.messages) {
            admitted += m == WM_CONN_DIALING || m == WM_CONN_CONNECTED;
            ended += m == WM_CONN_ENDED;
        }
        EXPECT_EQ(admitted, ended) << "round " << round;
        watchdog.Pet();
    }
}

TEST(MonitorThreadsTest, PollThreadRunsAtIdlePriority) {
    test::FakeRasProvider fake;
    RasApi ras(fake);
    const SystemClock clock;
    ConnectionMonitor::Options options;
    options.pollPeriod = std::chrono::milliseconds(5);

    // A provider that notes the scheduling policy of the thread asking it.
    class PolicyProbe final : public RasProvider {
    public:
        std::atomic<int> policy{-1};
        std::atomic<int> nice{0};
        std::uint32_t EnumConnections(std::vector<RasConnection>&) override {
            sched_param p{};
            int pol = 0;
            pthread_getschedparam(pthread_self(), &pol, &p);
            nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
            policy = pol;
            return 0;
        }
        std::uint32_t GetConnectState(HRASCONN, RasConnection&) override { return 6; }
        std::uint32_t GetEntryUserName(const std::string&, std::string&) override { return 623; }
        std::uint32_t HangUp(HRASCONN) override { return 0; }
        std::uint32_t EnumDevices(std::vector<RasDevice>&) override { return 0; }
        std::uint32_t EnumEntries(std::vector<std::string>&) override { return 0; }
        std::string Name() const override { return "probe"; }
    } probe;
    RasApi probeApi(probe);
    ConnectionMonitor monitor(probeApi, clock, options);
    ASSERT_TRUE(monitor.Start(nullptr));
    while (probe.policy < 0) {
        std::this_thread::yield();
    }
    monitor.Stop();
    EXPECT_TRUE(probe.policy == SCHED_IDLE || probe.nice == 19)
        << "policy " << probe.policy << ", nice " << probe.nice;
}

}  // namespace
}  // namespace ov
