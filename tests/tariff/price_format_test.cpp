#include "tariff/price_format.h"

#include <gtest/gtest.h>

#include "app/text_table_source.h"
#include "support/bratislava_time.h"

namespace ov {
namespace {

struct PriceCase {
    std::int32_t decimals;
    const char* symbol;
    std::int32_t after;
    float price;
    const char* format;
    const char* text;
};

TEST(PriceFormatTest, SymbolPositionDecimalsAndPercent) {
    const PriceCase cases[] = {
        {2, "$", 0, 100.2f, "$%.2f", "$100.20"},
        {2, "$", 1, 100.2f, "%.2f$", "100.20$"},
        {0, "Sk", 1, 12.4f, "%.0fSk", "12Sk"},
        {5, "$", 0, 100.2f, "$%.5f", "$100.20000"},  // the float's error stays below 5 places
        {2, "%", 1, 3.5f, "%.2f%%", "3.50%"},
        // A symbol never reaches printf as a conversion.
        {2, "%d%s", 0, 1.0f, "%%d%%s%.2f", "%d%s1.00"},
        {2, "", 0, 100.2f, "%.2f", "100.20"},
        // Decimals below 0 from the registry would make an invalid conversion: none shown.
        {-3, "$", 0, 100.2f, "$%.0f", "$100"},
    };
    for (const PriceCase& c : cases) {
        Tariff tariff;
        tariff.CurrDecName = c.decimals;
        tariff.CurrShort = c.symbol;
        tariff.CurrAfterNum = c.after;
        EXPECT_EQ(PriceFormat(tariff), c.format) << c.format;
        EXPECT_EQ(FormatPrice(tariff, c.price), c.text) << c.format;
    }
}

TEST(PriceFormatTest, NumberFormatHasNoSymbol) {
    Tariff tariff;
    tariff.CurrShort = "%";
    tariff.CurrAfterNum = 1;
    EXPECT_EQ(NumberFormat(tariff), "%.2f");
    EXPECT_EQ(FormatNumber(tariff, 1.005f), "1.00");  // 1.005f lies just below 1.005
    tariff.CurrDecName = 5;
    EXPECT_EQ(NumberFormat(tariff), "%.5f");
    EXPECT_EQ(FormatNumber(tariff, 0.5f), "0.50000");
}

TEST(FormatDurationTest, HoursMinutesSeconds) {
    const struct {
        std::int32_t seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"},      {3599, "00:59:59"},          {3600, "01:00:00"},
        {86400, "24:00:00"}, {360000, "100:00:00"}, {2147483647, "596523:14:07"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
    }
}

class FormatDateTimeTest : public test::BratislavaTime {};

TEST_F(FormatDateTimeTest, LocalDateAndClock) {
    EXPECT_EQ(FormatDateTime(0), "00.00.0000  00:00:00");
    EXPECT_EQ(FormatDateTime(1), "01.01.1970  01:00:01");
    EXPECT_EQ(FormatDateTime(Local(2024, 3, 13, 17, 58, 30)), "13.03.2024  17:58:30");
    EXPECT_EQ(FormatDateTime(Local(2024, 7, 1, 0, 0, 5)), "01.07.2024  00:00:05");  // summer
    EXPECT_EQ(FormatDateTime(-1), "01.01.1970  00:59:59");
}

TEST(MonthNameTest, FromTheTextTable) {
    static const char* const kEnglish[] = {"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    FixedTextSource texts;
    for (int month = 0; month < 12; ++month) {
        texts.Set(kTextTableResources[static_cast<std::size_t>(month)], kEnglish[month]);
    }
    texts.Set(kTextTableResources[12], "Entry");  // the first column title follows the months
    EXPECT_EQ(MonthName(texts, 0), "January");
    EXPECT_EQ(MonthName(texts, 11), "December");
    EXPECT_EQ(MonthName(texts, 12), "");
    EXPECT_EQ(MonthName(texts, -1), "");
    EXPECT_EQ(MonthCaption(texts, 2024, 2), "2024 March");
}

}  // namespace
}  // namespace ov
