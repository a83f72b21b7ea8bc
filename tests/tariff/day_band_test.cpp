#include "tariff/day_band.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/bratislava_time.h"

namespace ov {

void PrintTo(const DayBand& b, std::ostream* out) {
    *out << "{" << b.startMinute << "," << b.endMinute << "," << b.unitSeconds << "," << b.unitPrice
         << "}";
}

namespace {

struct Slot {
    int index;
    TariffBand band;
};

Tariff MakeTariff(const std::vector<Slot>& slots) {
    Tariff tariff;
    for (const Slot& slot : slots) {
        tariff.SetBand(slot.index, slot.band);
    }
    return tariff;
}

// Workdays: 08:00-17:59 at 2.0 a minute, 18:00-07:59 at 1.0 per three minutes.
Tariff WorkedExample() {
    return MakeTariff({{3, {480, 1079, 2.0f, 1}}, {4, {1080, 479, 1.0f, 3}}});
}

class DayBandTest : public test::BratislavaTime {};

TEST_F(DayBandTest, WorkedExampleDaySplitsAndSorts) {
    DayBandList list;
    Time32 nextMidnight = 0;
    LoadDayBands(WorkedExample(), Local(2024, 3, 13, 17, 58, 30), list, nextMidnight);
    const DayBandList expected{{0, 479, 180, 1.0f}, {480, 1079, 60, 2.0f}, {1080, 1440, 180, 1.0f}};
    EXPECT_EQ(list, expected);
    EXPECT_EQ(nextMidnight, Local(2024, 3, 14, 0, 0, 0));
}

TEST_F(DayBandTest, WeekdayChoosesTheSetAndFallsBackToEveryDay) {
    const Tariff tariff = MakeTariff({{0, {0, 1439, 0.5f, 1}},     // every day
                                      {3, {0, 1439, 1.0f, 1}},     // workdays
                                      {8, {600, 600, 3.0f, 2}},    // weekend, whole day
                                      {6, {0, 1439, 4.0f, -5}}});  // unit below 0: inactive
    DayBandList list;
    Time32 nextMidnight = 0;
    LoadDayBands(tariff, Local(2024, 3, 15, 12, 0, 0), list, nextMidnight);  // Friday
    EXPECT_EQ(list, (DayBandList{{0, 1439, 60, 1.0f}}));
    LoadDayBands(tariff, Local(2024, 3, 17, 12, 0, 0), list, nextMidnight);  // Sunday
    EXPECT_EQ(list, (DayBandList{{0, 600, 120, 3.0f}, {600, 1440, 120, 3.0f}}));

    Tariff noWeekend = tariff;
    noWeekend.Price[8] = 0.0f;
    LoadDayBands(noWeekend, Local(2024, 3, 16, 12, 0, 0), list, nextMidnight);  // Saturday
    EXPECT_EQ(list, (DayBandList{{0, 1439, 60, 0.5f}}));

    LoadDayBands(Tariff{}, Local(2024, 3, 16, 12, 0, 0), list, nextMidnight);
    EXPECT_TRUE(list.empty());
}

TEST(UnitsForTest, RoundsUp) {
    const struct {
        std::int32_t seconds, unit, units;
    } cases[] = {{0, 60, 0},     {1, 60, 1},     {59, 60, 1},       {60, 60, 1},
                 {61, 60, 2},    {89, 60, 2},    {86459, 3600, 25}, {-30, 60, 0},
                 {-100, 60, -1}, {100, -60, -1}, {5, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(UnitsFor(c.seconds, c.unit), c.units) << c.seconds << " / " << c.unit;
    }
}

struct PriceCase {
    const char* what;
    Tariff tariff;
    Time32 start;
    std::int32_t duration;
    float price;
};

class PriceOfCallTest : public test::BratislavaTime {};

TEST_F(PriceOfCallTest, Cases) {
    const Tariff onlyDaytime = MakeTariff({{3, {480, 1079, 2.0f, 1}}});
    // Workdays whole day at 2.0 per half hour, every day (so the weekend) at 1.0.
    const Tariff halfHours = MakeTariff({{3, {0, 0, 2.0f, 30}}, {0, {0, 0, 1.0f, 30}}});
    const Tariff wholeDayFrom10 = MakeTariff({{3, {600, 600, 1.0f, 1}}});
    const Tariff hourly = MakeTariff({{0, {0, 0, 1.0f, 60}}});
    const PriceCase cases[] = {
        {"default tariff", Tariff{}, Local(2024, 3, 13, 12, 0, 0), 3600, 0.0f},
        {"default tariff, a whole week", Tariff{}, Local(2024, 3, 13, 12, 0, 0), 7 * 86400, 0.0f},
        {"0 seconds", WorkedExample(), Local(2024, 3, 13, 17, 58, 30), 0, 0.0f},
        {"worked example", WorkedExample(), Local(2024, 3, 13, 17, 58, 30), 200, 5.0f},
        {"one second is a whole unit", WorkedExample(), Local(2024, 3, 13, 12, 0, 0), 1, 2.0f},
        // g = e: the ending band gives 0 units, the next band charges from its own rate.
        {"last second of a band", WorkedExample(), Local(2024, 3, 13, 7, 59, 59), 60, 2.0f},
        {"gap charged at the next band", onlyDaytime, Local(2024, 3, 13, 7, 0, 0), 1800, 60.0f},
        // Nothing of the day lies after 19:00, so the first pass does not progress and the
        // next morning's band is never reached.
        {"start after every band", onlyDaytime, Local(2024, 3, 13, 19, 0, 0), 10 * 3600, 0.0f},
        {"start = end before the split", wholeDayFrom10, Local(2024, 3, 13, 3, 0, 0), 120, 2.0f},
        {"start = end after the split", wholeDayFrom10, Local(2024, 3, 13, 20, 0, 0), 120, 2.0f},
        {"Saturday without weekend or every-day set", WorkedExample(), Local(2024, 3, 16, 10, 0, 0),
         600, 0.0f},
        // Friday's half hour from 23:45 at 2.0, then Saturday falls back to every day: 1.0.
        {"across midnight into the weekend", halfHours, Local(2024, 3, 15, 23, 45, 0), 3600, 3.0f},
        // Each day's last stretch runs 59 s past midnight; the units carry on into the next
        // day without charging an hour twice.
        {"three whole days", hourly, Local(2024, 3, 13, 0, 0, 0), 3 * 86400, 72.0f},
        // A unit below 0 leaves the workday slot out; the every-day slot prices the call.
        {"negative unit is inactive",
         MakeTariff({{3, {0, 1439, 9.0f, -1}}, {0, {0, 1439, 0.5f, 1}}}),
         Local(2024, 3, 13, 12, 0, 0), 120, 1.0f},
    };
    for (const PriceCase& c : cases) {
        EXPECT_EQ(PriceOfCall(c.tariff, c.start, c.duration), c.price) << c.what;
    }
}

// Sunday 31 March 2024: the clocks go from 02:00 to 03:00. A call from 00:00 lasting six
// real hours ends at 07:00 on the wall clock, so five of its hours fall in the night band and
// one in the day band.
TEST_F(PriceOfCallTest, DaylightSavingChangeCountsRealSecondsFromTheStart) {
    const Tariff tariff = MakeTariff({{0, {0, 359, 1.0f, 60}}, {1, {360, 1439, 2.0f, 60}}});
    const Time32 start = Local(2024, 3, 31, 0, 0, 0);
    EXPECT_EQ(Local(2024, 3, 31, 7, 0, 0) - start, 6 * 3600);
    EXPECT_EQ(PriceOfCall(tariff, start, 6 * 3600), 7.0f);
}

// Bands begin and end by the wall clock of each calendar day, on the days the clocks change
// as on any other.
TEST_F(PriceOfCallTest, DaylightSavingDaysByTheWallClock) {
    // Workdays 1.0 a minute, the weekend 0.1.
    const Tariff weekRates = MakeTariff({{3, {0, 1439, 1.0f, 1}}, {6, {0, 1439, 0.1f, 1}}});
    // Night 00:00 to 05:59 at 0.1 a minute, day at 1.0.
    const Tariff nightAndDay = MakeTariff({{0, {0, 359, 0.1f, 1}}, {1, {360, 1439, 1.0f, 1}}});
    // A band that would begin at 02:30, an hour the spring clock skips.
    const Tariff from0230 = MakeTariff({{0, {0, 149, 1.0f, 1}}, {1, {150, 1439, 2.0f, 1}}});
    // 02:00 to 02:59 at 5.0 an hour, the rest of the day at 1.0 an hour.
    const Tariff twoOClock = MakeTariff({{0, {120, 179, 5.0f, 60}}, {1, {180, 119, 1.0f, 60}}});
    const Time32 autumnFirstTwo = Local(2024, 10, 27, 1, 0, 0) + 3600;  // 02:00 summer time
    const PriceCase cases[] = {
        {"Saturday night, a week before", weekRates, Local(2024, 3, 23, 23, 30, 0), 7200, 12.0f},
        // Sunday is the weekend although it has only 23 hours.
        {"Saturday night before the spring change", weekRates, Local(2024, 3, 30, 23, 30, 0), 7200,
         12.0f},
        // 01:00 summer time to 06:00 winter time: six hours, all of them night.
        {"the autumn night", nightAndDay, Local(2024, 10, 27, 1, 0, 0), 6 * 3600, 36.0f},
        // 01:00 to 07:00 on the clock: four hours of night, one of day.
        {"the spring night", nightAndDay, Local(2024, 3, 31, 1, 0, 0), 5 * 3600, 84.0f},
        // 01:50 to 02:00, then 03:00 to 03:10 in the band that begins at the jump.
        {"a band begins at the jump", from0230, Local(2024, 3, 31, 1, 50, 0), 1200, 30.0f},
        // The hour from 02:00 comes twice and is charged twice at its band's rate.
        {"an hour shown twice", twoOClock, autumnFirstTwo, 7200, 10.0f},
        {"the hour after it", twoOClock, autumnFirstTwo, 3 * 3600, 11.0f},
    };
    for (const PriceCase& c : cases) {
        EXPECT_EQ(PriceOfCall(c.tariff, c.start, c.duration), c.price) << c.what;
    }
}

TEST_F(DayBandTest, LocalDaysAroundTheChangesOfTheClock) {
    const struct {
        Time32 t;
        Time32 start, end, change;
        std::int32_t clockAtChange;
    } cases[] = {
        {Local(2024, 3, 30, 12, 0, 0), Local(2024, 3, 30, 0, 0, 0), Local(2024, 3, 31, 0, 0, 0),
         Local(2024, 3, 31, 0, 0, 0), 0},
        // 23 hours, the clock jumping from 02:00 to 03:00.
        {Local(2024, 3, 31, 1, 0, 0), Local(2024, 3, 31, 0, 0, 0), Local(2024, 4, 1, 0, 0, 0),
         Local(2024, 3, 31, 3, 0, 0), 3 * 3600},
        {Local(2024, 3, 31, 23, 59, 59), Local(2024, 3, 31, 0, 0, 0), Local(2024, 4, 1, 0, 0, 0),
         Local(2024, 3, 31, 3, 0, 0), 3 * 3600},
        // 25 hours, the clock going back from 03:00 to 02:00.
        {Local(2024, 10, 27, 12, 0, 0), Local(2024, 10, 27, 0, 0, 0), Local(2024, 10, 28, 0, 0, 0),
         Local(2024, 10, 27, 1, 0, 0) + 2 * 3600, 2 * 3600},
    };
    for (const auto& c : cases) {
        LocalDay day;
        ASSERT_TRUE(LocalDayOf(c.t, day));
        EXPECT_EQ(day.start, c.start) << c.t;
        EXPECT_EQ(day.end, c.end) << c.t;
        EXPECT_EQ(day.change, c.change) << c.t;
        EXPECT_EQ(day.clockAtChange, c.clockAtChange) << c.t;

        DayBandList list;
        Time32 nextMidnight = 0;
        LoadDayBands(WorkedExample(), c.t, list, nextMidnight);
        EXPECT_EQ(nextMidnight, c.end) << c.t;
    }
}

// Prices add up in single precision, as stored totals always have: beside 2^24 a unit of 1.0
// is lost each time, where a sum in double precision would come to 16777218.
TEST_F(PriceOfCallTest, AccumulatesInSinglePrecision) {
    // One unit from each band: 08:00 to 08:00:59, to 08:01:59, to 08:02:59.
    const Tariff tariff = MakeTariff(
        {{3, {0, 480, 16777216.0f, 1}}, {4, {480, 481, 1.0f, 1}}, {5, {482, 1439, 1.0f, 1}}});
    EXPECT_EQ(PriceOfCall(tariff, Local(2024, 3, 13, 8, 0, 0), 180), 16777216.0f);
}

// The longest duration a record can hold, near the end of 32-bit time: the day steps stop
// where time does instead of wrapping into 1901.
TEST_F(PriceOfCallTest, LongestCallEndsAtTheLimitOfTime) {
    const Tariff tariff = MakeTariff({{0, {0, 0, 1.0f, 60}}});
    const Time32 start = Local(2038, 1, 18, 12, 0, 0);
    const float price = PriceOfCall(tariff, start, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(price, 13.0f);  // 12:00 to the end of the day, plus 59 s: 13 hourly units
}

}  // namespace
}  // namespace ov
