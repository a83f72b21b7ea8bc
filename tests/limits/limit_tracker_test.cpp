#include "limits/limit_tracker.h"

#include <gtest/gtest.h>

#include "limits_fakes.h"

namespace ov {
namespace {

TEST(LimitMessagesTest, TextsAndUnitWordsOfEachPack) {
    const FixedTextSource english = test::PackStrings("English");
    const FixedTextSource slovak = test::PackStrings("Slovak");
    struct Case {
        LimitKind kind;
        std::int32_t limit;
        std::int32_t storedUnit;
        const char* text;
    };
    const Case cases[] = {
        {LimitKind::TotalTime, 5, 0, "Total connection time is higher then 5 hours"},
        {LimitKind::CurrentTime, 2, 1, "Time of current connection is higher then 2 minuts"},
        {LimitKind::CurrentTime, 30, 2, "Time of current connection is higher then 30 seconds"},
        // Units the program never stores count as hours.
        {LimitKind::CurrentTime, 1, 3, "Time of current connection is higher then 1 hours"},
        {LimitKind::TotalTime, 1, -1, "Total connection time is higher then 1 hours"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeLimitMessage(english, c.kind, c.limit, TimeUnitOf(c.storedUnit)), c.text);
    }
    EXPECT_EQ(TimeUnitSeconds(TimeUnitOf(7)), 3600);
    EXPECT_EQ(PriceLimitMessage(english, LimitKind::TotalPrice, "$1.50"),
              "Total price for connection is higher then $1.50");
    EXPECT_EQ(PriceLimitMessage(english, LimitKind::CurrentPrice, "2.00 Sk"),
              "Price for current connection is higher then 2.00 Sk");

    EXPECT_EQ(TimeLimitMessage(slovak, LimitKind::TotalTime, 5, TimeUnit::Hours),
              "Celkový čas spojenia prekročil 5 h");
    EXPECT_EQ(TimeLimitMessage(slovak, LimitKind::CurrentTime, 30, TimeUnit::Seconds),
              "Čas aktuálneho spojenia prekročil 30 s");
    EXPECT_EQ(PriceLimitMessage(slovak, LimitKind::CurrentPrice, "2,00 Sk"),
              "Cena aktuálneho spojenia prekročila 2,00 Sk");
}

TEST(LimitMessagesTest, APacksTextNeverReachesPrintf) {
    // Conversions the callers do not pass stay as they are; "%%" is one "%".
    const FixedTextSource odd({{kCurrentTimeLimitString, "%s%d %n %d%% %x"},
                               {kCurrentPriceLimitString, "%d %s %s"},
                               {kSecondsString, "s"}});
    EXPECT_EQ(TimeLimitMessage(odd, LimitKind::CurrentTime, 7, TimeUnit::Seconds), "s7 %n %d% %x");
    EXPECT_EQ(PriceLimitMessage(odd, LimitKind::CurrentPrice, "1.00"), "%d 1.00 %s");
}

class LimitTrackerTest : public test::LimitsTest {};

TEST_F(LimitTrackerTest, TracksTheMeterFromItsOffsets) {
    TariffMeter meter(m_clock);
    meter.Start(m_settings.CurrentTariff, kStart - 30);  // admitted 30 s ago
    LimitTracker current(m_settings);
    LimitTracker total(m_settings);
    EXPECT_EQ(current.TrackedTime(), 0);  // before Init: nothing to track
    current.Init(&meter, 0, 0.0f);
    total.Init(&meter, 1000, 7.5f);
    m_clock.Advance(5);
    meter.Tick();
    EXPECT_EQ(current.TrackedTime(), 35);
    EXPECT_EQ(current.TrackedPrice(), 1.0f);
    EXPECT_EQ(total.TrackedTime(), 1035);
    EXPECT_EQ(total.TrackedPrice(), 8.5f);
}

TEST_F(LimitTrackerTest, FiresStrictlyAboveTheLimitAndRearmsAtTheUnitStart) {
    TariffMeter meter(m_clock);
    meter.Start(m_settings.CurrentTariff, kStart);
    LimitTracker tracker(m_settings);
    tracker.Init(&meter, 0, 0.0f);
    m_clock.Advance(60);
    meter.Tick();                                           // second unit: 2.00
    EXPECT_FALSE(tracker.CheckTime(1, TimeUnit::Minutes));  // 60 is not above 60
    EXPECT_FALSE(tracker.CheckPrice(2.0f));
    m_clock.Advance(5);
    meter.Tick();
    EXPECT_TRUE(tracker.CheckTime(1, TimeUnit::Minutes));
    // Counting again from the unit that began at 60 s: 5 s and that unit's price.
    EXPECT_EQ(tracker.TrackedTime(), 5);
    EXPECT_EQ(tracker.TrackedPrice(), 1.0f);
    EXPECT_TRUE(tracker.CheckPrice(0.5f));
    EXPECT_EQ(tracker.TrackedPrice(), 1.0f);
}

TEST_F(LimitTrackerTest, NothingFiresWithNotificationOff) {
    m_settings.EventUseNotification = 0;
    TariffMeter meter(m_clock);
    meter.Start(m_settings.CurrentTariff, kStart - 100000);
    LimitTracker tracker(m_settings);
    tracker.Init(&meter, 0, 0.0f);
    EXPECT_FALSE(tracker.CheckTime(0, TimeUnit::Seconds));
    EXPECT_FALSE(tracker.CheckPrice(0.0f));
    EXPECT_EQ(tracker.TrackedTime(), 100000);  // not re-armed
}

TEST_F(LimitTrackerTest, AHugeLimitDoesNotOverflowIntoFiring) {
    TariffMeter meter(m_clock);
    meter.Start(m_settings.CurrentTariff, kStart - 10);
    LimitTracker tracker(m_settings);
    tracker.Init(&meter, 0, 0.0f);
    // 1,000,000 hours in seconds does not fit 32 bits; the product wrapped would be negative.
    EXPECT_FALSE(tracker.CheckTime(1000000, TimeUnit::Hours));
}

}  // namespace
}  // namespace ov
