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
// real hours ends at 07:00 on the wall clock, so by the clock five hours fall in the night
// band and one in the day band (7.0). It costs 6.0: pricing walks on from the start's second
// of day in real seconds and never looks at the clock again within the day, so the lost hour
// is charged as if it had been there and the night band seems to end an hour later.
TEST_F(PriceOfCallTest, DaylightSavingChangeCountsRealSecondsFromTheStart) {
    const Tariff tariff = MakeTariff({{0, {0, 359, 1.0f, 60}}, {1, {360, 1439, 2.0f, 60}}});
    const Time32 start = Local(2024, 3, 31, 0, 0, 0);
    EXPECT_EQ(Local(2024, 3, 31, 7, 0, 0) - start, 6 * 3600);
    EXPECT_EQ(PriceOfCall(tariff, start, 6 * 3600), 6.0f);
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
