#include "tariff/tariff_meter.h"

#include <gtest/gtest.h>

#include "support/bratislava_time.h"

namespace ov {
namespace {

class TariffMeterTest : public test::BratislavaTime {
protected:
    /// Ticks once a second up to and including `until`; returns how many ticks saw a new unit.
    int TickUntil(TariffMeter& meter, Time32 until) {
        int units = 0;
        while (m_clock.Now() < until) {
            m_clock.Advance(1);
            units += meter.Tick() ? 1 : 0;
        }
        return units;
    }

    ManualClock m_clock;
};

TEST_F(TariffMeterTest, AnHourAcrossABandChange) {
    // Workdays: until 09:59 three-minute units at 1.0, from 10:00 one-minute units at 2.0.
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {0, 599, 1.0f, 3});
    tariff.SetBand(SlotIndex(Workdays, 1), {600, 1439, 2.0f, 1});
    const Time32 start = Local(2024, 3, 13, 9, 30, 0);
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    // The first unit is paid as the call begins.
    EXPECT_EQ(meter.totalPrice(), 1.0f);
    EXPECT_EQ(meter.unitSeconds(), 180);
    EXPECT_EQ(meter.callStart(), start);

    // 09:30 to 09:59:59: ten three-minute units in all, nine of them charged by ticks.
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 13, 9, 59, 59)), 9);
    EXPECT_EQ(meter.totalPrice(), 10.0f);
    EXPECT_EQ(meter.unitStart(), Local(2024, 3, 13, 9, 57, 0));
    EXPECT_EQ(meter.elapsedInUnit(), 179);

    // The unit that begins at 10:00 is priced by the band that holds its first minute.
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 13, 10, 29, 59)), 30);
    EXPECT_EQ(meter.totalPrice(), 70.0f);
    EXPECT_EQ(meter.unitPrice(), 2.0f);
    EXPECT_EQ(meter.unitSeconds(), 60);
    EXPECT_EQ(meter.unitStart(), Local(2024, 3, 13, 10, 29, 0));
    EXPECT_EQ(meter.lastTick(), Local(2024, 3, 13, 10, 29, 59));
    EXPECT_EQ(meter.elapsedInUnit(), 59);
}

TEST_F(TariffMeterTest, ChargesAtMostOneUnitPerTick) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(EveryDay, 0), {0, 0, 1.0f, 1});
    const Time32 start = Local(2024, 3, 13, 12, 0, 0);
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    m_clock.Advance(600);  // the display was held up for ten minutes
    EXPECT_TRUE(meter.Tick());
    EXPECT_EQ(meter.totalPrice(), 2.0f);
    EXPECT_EQ(meter.unitStart(), start + 60);
    EXPECT_EQ(meter.elapsedInUnit(), 540);
    // The units left behind are caught up one per tick, without the clock moving.
    EXPECT_TRUE(meter.Tick());
    EXPECT_EQ(meter.totalPrice(), 3.0f);
}

TEST_F(TariffMeterTest, ReloadsTheBandsAtMidnight) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {0, 0, 1.0f, 1});
    tariff.SetBand(SlotIndex(Weekend, 0), {0, 0, 3.0f, 1});
    const Time32 start = Local(2024, 3, 15, 23, 58, 0);  // Friday
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    EXPECT_EQ(meter.nextMidnight(), Local(2024, 3, 16, 0, 0, 0));
    // 23:58 and 23:59 at the workday rate, 00:00 and 00:01 on Saturday at the weekend rate.
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 16, 0, 1, 30)), 3);
    EXPECT_EQ(meter.totalPrice(), 8.0f);
    EXPECT_EQ(meter.nextMidnight(), Local(2024, 3, 17, 0, 0, 0));
}

// Unlike PriceOfCall the meter charges nothing for a unit that begins between bands, and a
// call that begins in a gap never gets a unit length, so it stays uncharged.
TEST_F(TariffMeterTest, NothingForACallThatBeginsInAGap) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {600, 1439, 2.0f, 1});
    const Time32 start = Local(2024, 3, 13, 9, 58, 0);
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    TickUntil(meter, Local(2024, 3, 13, 10, 5, 0));
    EXPECT_EQ(meter.totalPrice(), 0.0f);
    EXPECT_EQ(meter.unitSeconds(), 0);
    EXPECT_EQ(meter.unitStart(), start);
}

TEST_F(TariffMeterTest, UnitsBeginningInAGapAreFree) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {600, 601, 2.0f, 1});  // 10:00 to 10:01 only
    const Time32 start = Local(2024, 3, 13, 10, 0, 0);
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 13, 10, 4, 59)), 4);
    EXPECT_EQ(meter.totalPrice(), 4.0f);  // 10:00 and 10:01 only
    EXPECT_EQ(meter.unitSeconds(), 60);   // the last length is kept through the gap
    EXPECT_EQ(meter.unitStart(), Local(2024, 3, 13, 10, 4, 0));
}

TEST_F(TariffMeterTest, DefaultTariffStaysAtZeroAndTickBeforeStartDoesNothing) {
    TariffMeter meter(m_clock);
    EXPECT_FALSE(meter.Tick());
    const Tariff tariff;
    const Time32 start = Local(2024, 3, 13, 12, 0, 0);
    m_clock.Set(start);
    meter.Start(tariff, start);
    TickUntil(meter, start + 3600);
    EXPECT_EQ(meter.totalPrice(), 0.0f);
}

}  // namespace
}  // namespace ov
