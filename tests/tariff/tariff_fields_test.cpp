#include "tariff/tariff_fields.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(TariffFieldsTest, MinuteOfDayShowsAsHourAndMinute) {
    const struct {
        std::int32_t minuteOfDay;
        const char* hour;
        const char* minute;
    } cases[] = {{0, "00", "00"}, {65, "01", "05"}, {1439, "23", "59"}, {1440, "24", "00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(HourField(c.minuteOfDay), c.hour) << c.minuteOfDay;
        EXPECT_EQ(MinuteField(c.minuteOfDay), c.minute) << c.minuteOfDay;
    }
}

TEST(TariffFieldsTest, ReadBackCapsAndRaises) {
    const struct {
        std::int32_t hours, minutes;
        std::int16_t minuteOfDay;
    } cases[] = {{8, 30, 510}, {25, 75, 1439}, {23, 59, 1439}, {0, 0, 0},
                 {-3, 10, 10}, {2, -5, 120},   {-1, -1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(MinuteOfDayFromFields(c.hours, c.minutes), c.minuteOfDay)
            << c.hours << ":" << c.minutes;
    }
    EXPECT_EQ(UnitFromField(5), 5);
    EXPECT_EQ(UnitFromField(1439), 1439);
    EXPECT_EQ(UnitFromField(1440), 1439);
    EXPECT_EQ(UnitFromField(100000), 1439);
    EXPECT_EQ(UnitFromField(0), 0);
    EXPECT_EQ(UnitFromField(-100000), -32768);  // stays negative, so the slot stays inactive
    EXPECT_EQ(DecimalsFromField(3), 3);
    EXPECT_EQ(DecimalsFromField(7), 5);
    EXPECT_EQ(DecimalsFromField(-2), 0);
}

TEST(TariffFieldsTest, FieldsReadAsNumbers) {
    const struct {
        const char* text;
        std::int32_t value;
    } integers[] = {{"12", 12}, {" 12 ", 12}, {"-5", -5}, {"+7", 7},         {"", 0},
                    {"abc", 0}, {"1x", 0},    {"1.5", 0}, {"99999999999", 0}};
    for (const auto& c : integers) {
        EXPECT_EQ(FieldInteger(c.text), c.value) << c.text;
    }
    const struct {
        const char* text;
        float value;
    } prices[] = {{"1.5", 1.5f}, {"2.75abc", 2.75f}, {"  -0.5", -0.5f}, {"1,5", 1.0f},
                  {"abc", 0.0f}, {"", 0.0f},         {"1e2", 100.0f},   {"100.2", 100.2f}};
    for (const auto& c : prices) {
        EXPECT_EQ(PriceFromField(c.text), c.value) << c.text;
        EXPECT_EQ(PriceFieldValue(c.text), c.value) << c.text;
    }
    // Only finite decimal prices: the rest read as 0 and the options refuse them.
    for (const char* text :
         {"nan", "-NAN", "inf", " infinity", "1e39", "-1e39", "1e400", "0x10", "0X1p3", "+0x1.8"}) {
        EXPECT_EQ(PriceFromField(text), 0.0f) << text;
        EXPECT_EQ(PriceFieldValue(text), std::nullopt) << text;
    }
    EXPECT_EQ(PriceFieldValue("3.4e38"), 3.4e38f);
}

}  // namespace
}  // namespace ov
