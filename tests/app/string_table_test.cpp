#include "app/string_table.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(StringTable, ReadsNumbersTextsEscapesAndSkipsComments) {
    std::string error;
    const auto table = ParseStringTable(
        "# comment\n\n3303\tJanuary\r\n3318\tLine one\\nLine two\\tand \\\\ done\n3400\t\n",
        &error);
    ASSERT_TRUE(table) << error;
    EXPECT_EQ(table->size(), 3u);
    EXPECT_EQ(table->at(3303), "January");
    EXPECT_EQ(table->at(3318), "Line one\nLine two\tand \\ done");
    EXPECT_EQ(table->at(3400), "");
}

TEST(StringTable, RejectsMalformedLinesNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"3303 January\n", "line 1: expected a number"},
        {"3303\tJan\tuary\n", "line 1: expected a number"},
        {"1\tok\nx3303\tJanuary\n", "line 2: not a string resource number"},
        {"0\tzero\n", "line 1: not a string resource number"},
        {"65536\ttoo big\n", "line 1: not a string resource number"},
        {"3303\tbad \\q escape\n", "line 1: bad escape"},
        {"3303\tcut off \\", "line 1: bad escape"},
        {"3303\tone\n3303\ttwo\n", "line 2: string 3303 appears twice"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseStringTable(c.text, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave " << error;
    }
}

TEST(StringTable, FindsPrintfConversionsInOrder) {
    const struct {
        const char* format;
        std::vector<std::string> conversions;
    } cases[] = {
        {"no conversions", {}},
        {"100%% sure", {}},
        {"%s - connected to %s", {"s", "s"}},
        {"%d %s", {"d", "s"}},
        {"%-25s|%02d:%02d|%.2f|%5.3lf|%ld", {"s", "d", "d", "f", "lf", "ld"}},
        {"%*d", {"d"}},
        {"50% off", {"o"}},  // "% o" reads as an octal with the space flag: still caught
        {"stray %", {"?"}},
        {"%y", {"?"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintfConversions(c.format), c.conversions) << c.format;
    }
}

}  // namespace
}  // namespace ov
