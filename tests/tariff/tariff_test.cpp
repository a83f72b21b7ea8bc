#include "tariff/tariff.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(TariffTest, DefaultsPriceNothing) {
    const Tariff tariff;
    EXPECT_EQ(tariff.CurrCompany, "User defined");
    EXPECT_EQ(tariff.CurrName, "Dolar");
    EXPECT_EQ(tariff.CurrShort, "$");
    EXPECT_EQ(tariff.CurrDecName, 2);
    EXPECT_EQ(tariff.CountryID, 0);
    EXPECT_EQ(tariff.CurrAfterNum, 0);
    for (int slot = 0; slot < kTariffSlots; ++slot) {
        const TariffBand band = tariff.Band(slot);
        EXPECT_EQ(band.TimeFrom, 0) << slot;
        EXPECT_EQ(band.TimeTo, 1439) << slot;
        EXPECT_EQ(band.Price, 0.0f) << slot;
        EXPECT_EQ(band.Minuts, 1) << slot;
        EXPECT_FALSE(tariff.IsSlotActive(slot)) << slot;
    }
}

TEST(TariffTest, ActiveNeedsPositiveUnitAndNonZeroPrice) {
    const struct {
        std::int16_t minuts;
        float price;
        bool active;
    } cases[] = {
        {1, 1.0f, true},       {1439, 0.01f, true}, {1, -2.0f, true},  // a credit is still a rate
        {0, 1.0f, false},      {1, 0.0f, false},    {1, -0.0f, false},
        {-1, 1.0f, false},  // below 0 would make pricing count backwards without end
        {-32768, 5.0f, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsActive({0, 1439, c.price, c.minuts}), c.active) << c.minuts << " " << c.price;
    }
}

// Settings and the tariff file exchange the slots as parallel arrays; a band must land in
// the same index of each and nowhere else.
TEST(TariffTest, BandLivesInTheParallelArrays) {
    Tariff tariff;
    tariff.SetBand(SlotIndex(Weekend, 1), {600, 720, 1.25f, 3});
    EXPECT_EQ(SlotIndex(Weekend, 1), 7);
    EXPECT_EQ(tariff.TimeFrom[7], 600);
    EXPECT_EQ(tariff.TimeTo[7], 720);
    EXPECT_EQ(tariff.Price[7], 1.25f);
    EXPECT_EQ(tariff.Minuts[7], 3);
    EXPECT_TRUE(tariff.IsSlotActive(7));
    Tariff expected;
    expected.TimeFrom[7] = 600;
    expected.TimeTo[7] = 720;
    expected.Price[7] = 1.25f;
    expected.Minuts[7] = 3;
    EXPECT_EQ(tariff, expected);
}

}  // namespace
}  // namespace ov
