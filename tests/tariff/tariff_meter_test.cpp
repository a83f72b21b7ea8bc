#include "tariff/tariff_meter.h"

#include <gtest/gtest.h>

#include <random>

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
    // 23:58, 23:59 and (Friday's last stretch reaching 59 s past midnight) 00:00 at the
    // workday rate, as the call's price has them; 00:01 on Saturday at the weekend rate.
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 16, 0, 1, 30)), 3);
    EXPECT_EQ(meter.totalPrice(), 6.0f);
    EXPECT_EQ(meter.totalPrice(), PriceOfCall(tariff, start, 211));
    EXPECT_EQ(meter.nextMidnight(), Local(2024, 3, 17, 0, 0, 0));
}

// As in the call's price, a call that begins between bands is charged from its start at the
// rate and unit of the next band.
TEST_F(TariffMeterTest, ACallThatBeginsInAGapIsChargedAtTheNextBandsRate) {
    const struct {
        TariffBand band;  // the only workday band
        Time32 start;
        Time32 lastSecond;
        float total;
    } cases[] = {
        {{600, 1439, 2.0f, 1}, Local(2024, 3, 13, 9, 58, 0), Local(2024, 3, 13, 10, 5, 0), 16.0f},
        // Wednesday 07:50 for half an hour, three-minute units at 1.0 from 08:00.
        {{480, 1079, 1.0f, 3}, Local(2024, 3, 13, 7, 50, 0), Local(2024, 3, 13, 8, 19, 59), 10.0f},
    };
    for (const auto& c : cases) {
        Tariff tariff;
        tariff.SetBand(SlotIndex(Workdays, 0), c.band);
        m_clock.Set(c.start);
        TariffMeter meter(m_clock);
        meter.Start(tariff, c.start);
        EXPECT_EQ(meter.unitSeconds(), c.band.Minuts * 60);
        EXPECT_EQ(meter.totalPrice(), c.band.Price);
        TickUntil(meter, c.lastSecond);
        EXPECT_EQ(meter.totalPrice(), c.total);
        EXPECT_EQ(meter.totalPrice(), PriceOfCall(tariff, c.start, c.lastSecond - c.start + 1));
    }
}

TEST_F(TariffMeterTest, UnitsBeginningInAGapCostTheNextBandsRate) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {600, 601, 2.0f, 1});  // 10:00 to 10:01 only
    const Time32 start = Local(2024, 3, 13, 10, 0, 0);
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    EXPECT_EQ(TickUntil(meter, Local(2024, 3, 13, 10, 4, 59)), 4);
    // 10:02 on lies before Thursday's band: charged at its rate like 10:00 and 10:01.
    EXPECT_EQ(meter.totalPrice(), 10.0f);
    EXPECT_EQ(meter.unitSeconds(), 60);
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

// Sunday 31 March 2024 has 23 hours: the day after it begins at Monday 00:00 on the clock,
// and Monday's units are charged at the workday rate from then on.
TEST_F(TariffMeterTest, TheDayAfterASpringChangeBeginsAtItsMidnight) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Workdays, 0), {0, 1439, 1.0f, 60});
    tariff.SetBand(SlotIndex(Weekend, 0), {0, 1439, 0.5f, 60});
    const Time32 start = Local(2024, 3, 31, 1, 0, 0);  // before the change
    m_clock.Set(start);
    TariffMeter meter(m_clock);
    meter.Start(tariff, start);
    EXPECT_EQ(meter.nextMidnight(), Local(2024, 4, 1, 0, 0, 0));
    // Sunday 01:00 to 24:00 is 22 hourly units; Monday 00:00 and 01:00 cost 1.0 each.
    TickUntil(meter, Local(2024, 4, 1, 1, 30, 0));
    EXPECT_EQ(meter.totalPrice(), 22 * 0.5f + 2.0f);
    EXPECT_EQ(meter.unitPrice(), 1.0f);
    EXPECT_EQ(meter.nextMidnight(), Local(2024, 4, 2, 0, 0, 0));
}

// Whatever the tariff and the call, the meter ticked through the call ends at the price the
// call is stored with: gaps, midnights, long units and both changes of the clock in 2024.
TEST_F(TariffMeterTest, TotalAtTheEndOfEveryCallIsItsPrice) {
    std::mt19937 random(18);
    auto pick = [&random](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    // The moments the clocks went forward (02:00 CET) and back (03:00 CEST).
    const Time32 changes[] = {Local(2024, 3, 31, 1, 0, 0) + 3600,
                              Local(2024, 10, 27, 1, 0, 0) + 7200};
    for (int round = 0; round < 300; ++round) {
        Tariff tariff;
        for (int slot = 0; slot < kTariffSlots; ++slot) {
            if (pick(0, 2) == 0) {
                continue;  // about a third of the slots stay inactive
            }
            const int unit = pick(0, 5) == 0 ? pick(1, 1439) : pick(1, 15);
            tariff.SetBand(
                slot,
                {static_cast<std::int16_t>(pick(0, 1439)), static_cast<std::int16_t>(pick(0, 1439)),
                 static_cast<float>(pick(1, 500)) * 0.01f, static_cast<std::int16_t>(unit)});
        }
        const Time32 start = changes[round % 2] + pick(-36 * 3600, 12 * 3600);
        const std::int32_t duration = pick(1, 30 * 3600);
        m_clock.Set(start);
        TariffMeter meter(m_clock);
        meter.Start(tariff, start);
        TickUntil(meter, start + duration - 1);  // through the call's last second
        ASSERT_EQ(meter.totalPrice(), PriceOfCall(tariff, start, duration))
            << "round " << round << ": start " << start << ", " << duration << " s";
    }
}

}  // namespace
}  // namespace ov
