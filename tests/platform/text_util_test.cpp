#include "platform/text_util.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(TextUtilTest, EscapedFieldsRoundTrip) {
    const struct {
        std::string raw;
        std::string escaped;
    } cases[] = {
        {"plain", "plain"},
        {"a\tb", "a\\tb"},
        {"line\nbreak\r", "line\\nbreak\\r"},
        {"back\\slash", "back\\\\slash"},
        {"", ""},
        {std::string("nul\0inside", 10), std::string("nul\0inside", 10)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeField(c.raw), c.escaped);
        EXPECT_EQ(UnescapeField(c.escaped), c.raw);
    }
    EXPECT_FALSE(UnescapeField("trailing\\"));
    EXPECT_FALSE(UnescapeField("\\x41"));
}

TEST(TextUtilTest, SplitKeepsEmptyFields) {
    EXPECT_EQ(SplitFields("a\t\tb").size(), 3u);
    EXPECT_EQ(SplitFields("").size(), 1u);
    EXPECT_EQ(SplitFields("x\t").back(), "");
}

TEST(TextUtilTest, IntegersAreWholeOrNothing) {
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger("-7"), -7);
    EXPECT_EQ(ParseInteger("+7"), 7);
    for (const char* bad : {"", "4x", " 4", "0x10", "99999999999999999999", "-"}) {
        EXPECT_FALSE(ParseInteger(bad)) << bad;
    }
}

TEST(TextUtilTest, CaseIsIgnoredForAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoreCase("Demo ISP", "demo isp"));
    EXPECT_FALSE(EqualsIgnoreCase("Demo", "Demo "));
    EXPECT_FALSE(EqualsIgnoreCase("\xC3\x81", "\xC3\xA1"));  // Á and á are different bytes
}

}  // namespace
}  // namespace ov
