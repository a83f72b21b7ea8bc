#include "limits/metering_host.h"

#include <gtest/gtest.h>

#include "limits_fakes.h"

namespace ov {
namespace {

class MeteringHostTest : public test::LimitsTest {
protected:
    MeteringHostTest() {
        // A limit at the start of the second unit, a countdown of 2 seconds.
        m_settings.EventType = 3;
        m_settings.EventPrice = 1.5f;
        m_settings.HangUpTimeout = 2;
        m_hooks.limit = [this](const std::string& message) { m_limits.push_back(message); };
        m_hooks.saveEvents = [this] { ++m_saves; };
    }

    /// Moves the clock one second and delivers the expiries of the timers that are set.
    void Second(MeteringHost& host) {
        m_clock.Advance(1);
        const auto due = m_timer.set;  // a timer set during this second first expires at the next
        for (const auto& [id, period] : due) {
            host.OnTimer(id);
        }
    }

    MeteringHost::Hooks m_hooks;
    std::vector<std::string> m_limits;
    int m_saves = 0;
};

TEST_F(MeteringHostTest, LimitThenCountdownThenHangUp) {
    MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
    host.OnConnected("Demo ISP", kStart);
    for (int s = 1; s < 60; ++s) {
        Second(host);
    }
    EXPECT_TRUE(m_limits.empty());
    Second(host);  // the second unit begins
    EXPECT_EQ(m_limits,
              std::vector<std::string>{"Price for current connection is higher then $1.50"});
    ASSERT_NE(host.notification(), nullptr);
    EXPECT_TRUE(limitChecksSuspended);
    Second(host);
    Second(host);
    EXPECT_TRUE(m_hangUp.calls.empty());
    Second(host);  // below 0: all hung up without asking, then the hang-up command asks
    EXPECT_EQ(m_hangUp.calls, (std::vector<bool>{false, true}));
    EXPECT_EQ(host.notification(), nullptr);
    EXPECT_FALSE(limitChecksSuspended);
    EXPECT_NE(host.display(), nullptr);  // until the monitor sees the call end

    host.OnEnded();
    EXPECT_EQ(host.display(), nullptr);
    EXPECT_EQ(m_saves, 1);
    EXPECT_TRUE(m_timer.set.empty());
}

TEST_F(MeteringHostTest, CancelOrNoCountdownLeavesTheConnectionUp) {
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "no countdown");
        m_settings.HangUpAutomatically = cancel ? 1 : 0;
        m_settings.NotPromptHangUp = 1;
        m_hangUp.calls.clear();
        m_limits.clear();
        m_clock.Set(kStart);
        MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
        host.OnDialing("Demo ISP", kStart);
        for (int s = 1; s <= 130; ++s) {
            Second(host);
            host.CancelNotification();  // at once, before the countdown ends
            EXPECT_EQ(host.notification(), nullptr);
            EXPECT_FALSE(limitChecksSuspended);
        }
        // The rule stays armed: it fires again at the next unit.
        EXPECT_EQ(m_limits.size(), 2u);
        EXPECT_TRUE(m_hangUp.calls.empty());
    }
}

TEST_F(MeteringHostTest, WhichEventsStartTheMetering) {
    MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
    host.OnDialing("First", kStart);
    m_clock.Advance(30);
    host.OnConnected("First", kStart + 30);  // the same call: not restarted
    ASSERT_NE(host.display(), nullptr);
    EXPECT_EQ(host.display()->meter().callStart(), kStart);
    host.OnDialing("Second", kStart + 30);  // a second dialing restarts it
    EXPECT_EQ(host.display()->connectionName(), "Second");
    host.OnEnded();
    EXPECT_EQ(host.display(), nullptr);
    EXPECT_FALSE(host.displayOpened());
    host.OnEnded();  // the other call: nothing left to close or save
    EXPECT_EQ(m_saves, 1);

    // A call first seen up is metered too.
    host.OnConnected("Third", kStart + 40);
    ASSERT_NE(host.display(), nullptr);
    EXPECT_EQ(host.display()->connectionName(), "Third");
}

TEST_F(MeteringHostTest, NothingWithoutTheDisplaySetting) {
    m_settings.ShowEvnWnd = 0;
    MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
    host.OnDialing("Demo ISP", kStart);
    host.OnConnected("Demo ISP", kStart);
    for (int s = 1; s <= 200; ++s) {
        Second(host);
        host.OnTimer(LiveDisplayCtrl::kTimerId);  // even a stray expiry
    }
    EXPECT_EQ(host.display(), nullptr);
    EXPECT_TRUE(m_limits.empty());
    host.OnEnded();
    EXPECT_EQ(m_saves, 0);
}

// With nothing in the tariff to charge the call no unit runs; after Cancel the next notice
// still needs a further full limit amount, counted from the tick at which the first fired.
TEST_F(MeteringHostTest, ACancelledTimeLimitWithoutUnitsWaitsAFullLimitAgain) {
    m_settings.CurrentTariff = Tariff{};
    m_settings.EventType = 1;       // current time
    m_settings.EventValueType = 2;  // seconds
    m_settings.EventTime = 3;
    MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
    host.OnConnected("Demo ISP", kStart);
    std::vector<int> firedAt;
    for (int s = 1; s <= 12; ++s) {
        Second(host);
        if (m_limits.size() > firedAt.size()) {
            firedAt.push_back(s);
            host.CancelNotification();
        }
    }
    EXPECT_EQ(firedAt, (std::vector<int>{4, 8, 12}));
    EXPECT_TRUE(m_hangUp.calls.empty());
}

}  // namespace
}  // namespace ov

namespace ov {
namespace {

/// Records what the host asks of its windows, in order.
class RecordingView final : public MeteringView {
public:
    void DisplayStarted(const LiveDisplayCtrl& display) override {
        calls.push_back("started " + display.connectionName());
    }
    void DisplayTicked(const DisplayTick& tick) override {
        if (tick.newUnit || tick.fired) {
            calls.push_back(std::string("tick") + (tick.newUnit ? " unit" : "") +
                            (tick.fired ? " fired" : ""));
        }
    }
    void DisplayClosing() override { calls.push_back("closing"); }
    std::optional<std::string> NotificationOpened(const std::string& message) override {
        calls.push_back("opened " + message);
        return window ? std::optional<std::string>("&OK") : std::nullopt;
    }
    void NotificationChanged(const LimitNotifyDialog& notification) override {
        calls.push_back(notification.okText());
    }
    void NotificationClosed() override { calls.push_back("closed"); }

    bool window = true;
    std::vector<std::string> calls;
};

class MeteringViewTest : public test::LimitsTest {
protected:
    MeteringViewTest() {
        m_settings.EventType = 1;  // the current call's time over 2 seconds
        m_settings.EventValueType = 2;
        m_settings.EventTime = 2;
        m_settings.HangUpTimeout = 1;
        m_settings.NotPromptHangUp = 1;
        m_hooks.saveEvents = [this] { m_view.calls.push_back("saved"); };
    }
    void Seconds(MeteringHost& host, int count) {
        for (int s = 0; s < count; ++s) {
            m_clock.Advance(1);
            const auto due = m_timer.set;
            for (const auto& [id, period] : due) {
                host.OnTimer(id);
            }
        }
    }
    MeteringHost::Hooks m_hooks;
    RecordingView m_view;
};

TEST_F(MeteringViewTest, TheWindowsFollowTheCallAndTheCountdown) {
    MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
    host.SetView(&m_view);
    host.OnDialing("Demo ISP", kStart);
    Seconds(host, 5);
    host.OnEnded();
    // The caption the window gave counts down; the position is kept before the save.
    EXPECT_EQ(m_view.calls,
              (std::vector<std::string>{"started Demo ISP", "tick fired",
                                        "opened Time of current connection is higher then 2 "
                                        "seconds",
                                        "&OK=1", "&OK=0", "closed", "closing", "saved"}));
    EXPECT_EQ(m_hangUp.calls, (std::vector<bool>{false, false}));
}

TEST_F(MeteringViewTest, AWindowWithoutCountdownWaitsForItsAnswer) {
    m_settings.HangUpAutomatically = 0;
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "window" : "no window");
        m_view.window = window;
        m_view.calls.clear();
        MeteringHost host(m_settings, m_texts, m_clock, m_timer, m_hangUp, m_hooks);
        host.SetView(&m_view);
        host.OnConnected("Demo ISP", m_clock.Now());
        Seconds(host, 20);
        // Without a window nobody can answer: it ends at once and the rule fires again.
        EXPECT_EQ(host.notification() != nullptr, window);
        EXPECT_EQ(limitChecksSuspended, window);
        host.AnswerNotification(LimitNotifyDialog::Result::Ok);
        EXPECT_EQ(host.notification(), nullptr);
        EXPECT_FALSE(limitChecksSuspended);
        host.SetView(nullptr);
    }
    EXPECT_EQ(m_hangUp.calls, std::vector<bool>{false});  // OK: the hang-up command, no question
}

}  // namespace
}  // namespace ov
