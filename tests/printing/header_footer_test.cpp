// The header and footer template: expansion into slots and lines, placement on the page, and
// texts cut to a width.
#include <gtest/gtest.h>

#include "printing/fake_measurer.h"
#include "printing/header_footer.h"

namespace ov {
namespace {

using Segments = std::vector<TemplateSegment>;

TemplateFields March5() {
    TemplateFields fields;
    fields.page = 3;
    fields.now.tm_mday = 5;
    fields.now.tm_mon = 2;
    fields.now.tm_year = 124;
    fields.now.tm_hour = 9;
    fields.now.tm_min = 5;
    fields.now.tm_sec = 7;
    fields.title = "Orvanta";
    return fields;
}

TEST(HeaderFooterTemplate, ExpandsEscapesSlotsAndLines) {
    const struct {
        std::string text;
        Segments expected;
    } cases[] = {
        {"#|- #p -", {{0, 1, "- 3 -"}}},
        {"#d  #t#|#|Orvanta", {{0, 0, " 5. 3.2024   9: 5: 7"}, {0, 2, "Orvanta"}}},
        {"a#|b#|c#|d", {{0, 0, "a"}, {0, 1, "b"}, {0, 2, "c"}}},  // a fourth slot is dropped
        {"top\n#|second", {{0, 0, "top"}, {1, 1, "second"}}},
        {"#D - #p", {{0, 0, "Orvanta - 3"}}},
        {"100##", {{0, 0, "100#"}}},
        {"ends in #", {{0, 0, "ends in "}}},  // a lone "#" ends the text
        {"#", {}},
        {"#x#Y#%", {{0, 0, "xY%"}}},  // an unknown escape stands for its character
        {"a#B{note}b", {{0, 0, "ab"}}},
        {"a#B{no end#p", {{0, 0, "a"}}},  // the rest is the note
        {"a#Bb", {{0, 0, "ab"}}},         // no brace: only "#B" goes
        {"a\tb\rc\x7f"
         "d\x01",
         {{0, 0, "abcd"}}},
        {"caf\xc3\xa9#|x", {{0, 0, "caf\xc3\xa9"}, {0, 1, "x"}}},
        {"\n\n#|#|", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandTemplate(c.text, March5()), c.expected) << c.text;
    }
}

TEST(HeaderFooterTemplate, CutsLongSegmentsOnWholeCharacters) {
    TemplateFields fields = March5();
    fields.title = std::string(300, 'x');
    // 300 + 300 bytes from two titles: the segment stops at 499.
    auto segments = ExpandTemplate("#D#D#|after", fields);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].text, std::string(499, 'x'));
    EXPECT_EQ(segments[1].text, "after");
    // A two-byte character that would pass the limit is left out whole.
    fields.title = std::string(498, 'y') + "\xc3\xa9";
    segments = ExpandTemplate("#D", fields);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].text, std::string(498, 'y'));
}

TEST(HeaderFooterPlacement, SlotsAlignAndLinesStack) {
    const test::FakeMeasurer measurer;
    LogFont font;
    font.lfHeight = 400;
    const Segments segments{{0, 0, "ab"}, {0, 1, "- 3 -"}, {0, 2, "xyz"}, {1, 2, "z"}};
    const std::vector<PlacedText> expected{
        {1000, 700, "ab"},
        {1000 + (10000 - 500) / 2, 700, "- 3 -"},
        {1000 + 10000 - 300, 700, "xyz"},
        {1000 + 10000 - 100, 1100, "z"},
    };
    EXPECT_EQ(PlaceSegments(segments, measurer, font, 1000, 10000, 700), expected);
}

TEST(HeaderFooterPlacement, HeaderAtItsPositionFooterAbovePaperHeightOnlyWhenOn) {
    const test::FakeMeasurer measurer;
    PageRecord page = FreshPageRecord();  // header "#|- #p -" on, 20 mm margins, A4 upright
    page.SetFooterText("#p#|#|end");
    page.footerOn = 1;
    HeaderFooterTexts texts = LayOutHeaderFooter(page, measurer, March5());
    const int width = 20320 - 4000;
    ASSERT_EQ(texts.header.size(), 1u);
    EXPECT_EQ(texts.header[0], (PlacedText{2000 + (width - 500) / 2, 1000, "- 3 -"}));
    ASSERT_EQ(texts.footer.size(), 2u);
    EXPECT_EQ(texts.footer[0], (PlacedText{2000, 28101 - 1000, "3"}));
    EXPECT_EQ(texts.footer[1], (PlacedText{2000 + width - 300, 28101 - 1000, "end"}));

    page.headerOn = 0;
    page.footerOn = 0;
    texts = LayOutHeaderFooter(page, measurer, March5());
    EXPECT_TRUE(texts.header.empty());
    EXPECT_TRUE(texts.footer.empty());
}

// Found by fuzzing: values no clock or pack gives, which must still print sanely.
TEST(HeaderFooterTemplate, OddFieldsPrintOnOneLineWithoutOverflow) {
    TemplateFields fields = March5();
    fields.title = "Or\tvan\nta\x01";
    fields.now.tm_year = 2147483647;
    fields.now.tm_mon = 2147483647;
    const Segments segments = ExpandTemplate("#D#|#d", fields);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].text, "Orvanta");
    EXPECT_EQ(segments[1].text, " 5.2147483648.2147485547");
}

TEST(HeaderFooterPlacement, ADamagedStoredRecordIsBroughtWithinThePage) {
    PageRecord page = FreshPageRecord();
    page.leftMargin = -2147483647 - 1;
    page.rightMargin = 2147483647;
    page.topMargin = -5;
    page.headerPosition = -2147483647 - 1;
    page.footerPosition = 2147483647;
    page.headerFont.lfHeight = -2147483647 - 1;
    page.footerFont.lfWidth = 2147483647;
    page.BringIntoRange();
    EXPECT_EQ(page.leftMargin, 0);
    EXPECT_EQ(page.rightMargin, 65535);
    EXPECT_EQ(page.topMargin, 0);
    EXPECT_EQ(page.headerPosition, 0);
    EXPECT_EQ(page.footerPosition, 65535);
    EXPECT_EQ(page.headerFont.lfHeight, -65535);
    EXPECT_EQ(page.footerFont.lfWidth, 65535);
    // A sound record stays as it is.
    const PageRecord fresh = FreshPageRecord();
    PageRecord same = fresh;
    same.BringIntoRange();
    EXPECT_EQ(same, fresh);
}

TEST(FitText, KeepsTheLongestLeadingPartThatFits) {
    const test::FakeMeasurer measurer;
    const LogFont font;
    const struct {
        std::string text;
        int width;
        std::string expected;
    } cases[] = {
        {"Mobile Internet", 1500, "Mobile Internet"},
        {"Mobile Internet", 1499, "Mobile Interne"},
        {"Mobile Internet", 650, "Mobile"},
        {"Mobile", 99, ""},
        {"Mobile", -5, ""},
        {"", 0, ""},
        {"Za\xc4\x8diatok", 300, "Za\xc4\x8d"},  // never half a character
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitText(measurer, font, c.text, c.width), c.expected) << c.text << c.width;
    }
}

}  // namespace
}  // namespace ov
