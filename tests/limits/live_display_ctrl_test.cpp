#include "limits/live_display_ctrl.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "limits_fakes.h"

namespace ov {
namespace {

class LiveDisplayCtrlTest : public test::LimitsTest {
protected:
    /// Ticks once a second until `seconds` after the call start; the seconds at which a rule
    /// fired, with the last message. `between` runs before each tick.
    std::vector<int> FiringsUntil(LiveDisplayCtrl& ctrl, int seconds,
                                  const std::function<void(int)>& between = {}) {
        std::vector<int> firings;
        for (int s = 1; s <= seconds; ++s) {
            m_clock.Set(kStart + s);
            if (between) {
                between(s);
            }
            if (ctrl.Tick().fired) {
                firings.push_back(s);
                m_lastMessage = LimitMessage;
            }
        }
        return firings;
    }

    std::string m_lastMessage;
};

TEST_F(LiveDisplayCtrlTest, WhenEachRuleFires) {
    struct Case {
        const char* name;
        std::function<void(SettingsValues&)> rule;
        int seconds;
        std::vector<int> firings;
        const char* message;
    };
    const Case cases[] = {
        {"current time 2 minutes: then 2 minutes from the unit it fired in",
         [](SettingsValues& s) { s.EventType = 1, s.EventValueType = 1, s.EventTime = 2; },
         400,
         {121, 241, 361},
         "Time of current connection is higher then 2 minuts"},
        {"current time 1 hour",
         [](SettingsValues& s) { s.EventType = 1, s.EventValueType = 0, s.EventTime = 1; },
         3601,
         {3601},
         "Time of current connection is higher then 1 hours"},
        {"current time 0: every second the unit has run",
         [](SettingsValues& s) { s.EventType = 1, s.EventValueType = 2, s.EventTime = 0; },
         3,
         {1, 2, 3},
         "Time of current connection is higher then 0 seconds"},
        {"total time counts from the stored total",
         [](SettingsValues& s) {
             s.EventType = 0, s.EventValueType = 1, s.EventTime = 10, s.EventTotTime = 590;
         },
         30,
         {11},
         "Total connection time is higher then 10 minuts"},
        // The first unit is charged at the start; its price is seen at the next unit's start.
        {"current price above 1.50 at each second unit",
         [](SettingsValues& s) { s.EventType = 3, s.EventPrice = 1.5f; },
         150,
         {60, 120},
         "Price for current connection is higher then $1.50"},
        {"price already above the limit at the start",
         [](SettingsValues& s) { s.EventType = 3, s.EventPrice = 0.5f; },
         59,
         {},
         ""},
        {"total price",
         [](SettingsValues& s) { s.EventType = 2, s.EventPrice = 10.0f, s.EventTotPrice = 9.5f; },
         70,
         {60},
         "Total price for connection is higher then $10.00"},
        {"notification off",
         [](SettingsValues& s) { s.EventUseNotification = 0, s.EventType = 1; },
         10,
         {},
         ""},
        {"no rule of that number", [](SettingsValues& s) { s.EventType = 4; }, 130, {}, ""},
        {"negative rule number", [](SettingsValues& s) { s.EventType = -1; }, 10, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsValues settings = m_settings;
        c.rule(settings);
        m_clock.Set(kStart);
        m_lastMessage.clear();
        LiveDisplayCtrl ctrl(settings, m_texts, m_clock, m_timer);
        ctrl.StartMetering("Demo ISP", kStart);
        EXPECT_EQ(FiringsUntil(ctrl, c.seconds), c.firings);
        EXPECT_EQ(m_lastMessage, c.message);
    }
}

TEST_F(LiveDisplayCtrlTest, NoRuleWhileTheNotificationIsOpen) {
    m_settings.EventType = 1;
    m_settings.EventValueType = 2;
    m_settings.EventTime = 0;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer);
    ctrl.StartMetering("Demo ISP", kStart);
    // Open from the first firing until second 5: the next firing needs the unit's time again.
    const auto firings =
        FiringsUntil(ctrl, 6, [](int s) { limitChecksSuspended = s >= 2 && s < 6; });
    EXPECT_EQ(firings, (std::vector<int>{1, 6}));
}

TEST_F(LiveDisplayCtrlTest, TickClearsTheMessageAndNotifiesAfterFiring) {
    m_settings.EventType = 1;
    m_settings.EventValueType = 2;
    m_settings.EventTime = 1;
    std::vector<std::string> notified;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer,
                         [&] { notified.push_back(LimitMessage); });
    ctrl.StartMetering("Demo ISP", kStart);
    LimitMessage = "old";
    m_clock.Advance(1);
    EXPECT_FALSE(ctrl.Tick().fired);
    EXPECT_EQ(LimitMessage, "");
    m_clock.Advance(1);
    const DisplayTick tick = ctrl.Tick();
    EXPECT_TRUE(tick.fired);
    EXPECT_FALSE(tick.newUnit);
    EXPECT_EQ(notified,
              (std::vector<std::string>{"Time of current connection is higher then 1 seconds"}));
}

TEST_F(LiveDisplayCtrlTest, TotalRuleResetsTheStoredTotals) {
    m_settings.EventType = 0;
    m_settings.EventValueType = 2;
    m_settings.EventTime = 100;
    m_settings.EventTotTime = 95;
    m_settings.EventTotPrice = 42.0f;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer);
    ctrl.StartMetering("Demo ISP", kStart);
    EXPECT_EQ(FiringsUntil(ctrl, 10), std::vector<int>{6});
    EXPECT_EQ(m_settings.EventTotTime, 0);
    EXPECT_EQ(m_settings.EventTotPrice, 0.0f);
    // The total shown counts from the unit in which it fired.
    EXPECT_EQ(ctrl.TotalTimeText(), "00:00:10");
    EXPECT_EQ(ctrl.CurrentTimeText(), "00:00:10");
}

TEST_F(LiveDisplayCtrlTest, StartingAgainMetersTheNewConnection) {
    m_settings.EventUseNotification = 0;
    m_settings.EventTotTime = 3600;
    m_settings.EventTotPrice = 5.0f;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer);
    EXPECT_EQ(ctrl.CurrentTimeText(), LiveDisplayCtrl::kBlankTime);
    ctrl.StartMetering("First", kStart);
    EXPECT_EQ(m_timer.set, (std::map<unsigned, unsigned>{{32823, 1000}}));
    FiringsUntil(ctrl, 90);
    EXPECT_EQ(ctrl.CurrentTimeText(), "00:01:30");
    EXPECT_EQ(ctrl.TotalTimeText(), "01:01:30");
    EXPECT_EQ(ctrl.CurrentPriceText(), "2.00      ");
    EXPECT_EQ(ctrl.TotalPriceText(), "7.00      ");

    ctrl.StartMetering("Second", kStart + 90);
    EXPECT_TRUE(ctrl.running());
    EXPECT_EQ(ctrl.connectionName(), "Second");
    EXPECT_EQ(ctrl.CurrentTimeText(), "00:00:00");
    EXPECT_EQ(ctrl.TotalTimeText(), "01:00:00");
    EXPECT_EQ(ctrl.CurrentPriceText(), "1.00      ");

    ctrl.StopMetering();
    EXPECT_FALSE(ctrl.running());
    EXPECT_FALSE(m_timer.IsSet(LiveDisplayCtrl::kTimerId));
    EXPECT_EQ(ctrl.TotalTimeText(), LiveDisplayCtrl::kBlankTime);
}

TEST_F(LiveDisplayCtrlTest, ATimerThatCannotBeSetLeavesItStopped) {
    m_timer.refuse = true;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer);
    ctrl.StartMetering("Demo ISP", kStart);
    EXPECT_FALSE(ctrl.running());
    EXPECT_EQ(ctrl.CurrentTimeText(), LiveDisplayCtrl::kBlankTime);
}

TEST(DisplayTimeTextTest, ThreeFormsByHours) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "00:00:00"},       {59, "00:00:59"},    {3599, "00:59:59"},
        {359999, "99:59:59"},  {360000, "100:00"},  {360000 + 61, "100:01"},
        {35999999, "9999:59"}, {36000000, "10000"}, {36000000 + 3599, "10000"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(DisplayTimeText(seconds), text) << seconds;
    }
}

TEST_F(LiveDisplayCtrlTest, UnitBarShrinksAndTurnsRed) {
    m_settings.CurrentTariff.CurrDecName = 3;
    LiveDisplayCtrl ctrl(m_settings, m_texts, m_clock, m_timer);
    EXPECT_EQ(ctrl.Bar(104).filled, 0);  // no unit yet
    ctrl.StartMetering("Demo ISP", kStart);
    EXPECT_EQ(ctrl.PriceText(1.5f), "1.500      ");
    struct Case {
        int elapsed;
        int filled;
        COLORREF colour;
    };
    const COLORREF bar = m_settings.EventColors[kEventBar];
    const Case cases[] = {
        {0, 100, bar},           {30, 50, bar},          {50, 16, bar},
        {51, 15, kBarEndColour}, {59, 1, kBarEndColour},
    };
    for (const Case& c : cases) {
        m_clock.Set(kStart + c.elapsed);
        ctrl.Tick();
        const UnitBar b = ctrl.Bar(104);
        EXPECT_EQ(b.filled, c.filled) << c.elapsed;
        EXPECT_EQ(b.filledRight, c.filled + 2);
        EXPECT_EQ(b.restRight, 102);
        EXPECT_EQ(b.filledColour, c.colour) << c.elapsed;
    }
    EXPECT_EQ(bar, 0x6A3E02u);  // RGB(2, 62, 106)
}

}  // namespace
}  // namespace ov
