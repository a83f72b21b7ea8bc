// The report laid out into blocks and pages: month blocks and their sums, page breaks, the
// total sums, month-sums mode and the column widths.
#include <gtest/gtest.h>

#include "app/text_table_source.h"
#include "printing/report_document.h"
#include "printing/report_layout.h"
#include "settings/settings.h"

namespace ov {
namespace {

// Mid-month noons, far from any month's edge in every time zone.
constexpr Time32 kJanuary = 1704888000;   // 2024-01-10 12:00 UTC
constexpr Time32 kFebruary = 1707566400;  // 2024-02-10 12:00 UTC

std::vector<CallRow> Rows(Time32 start, int count) {
    std::vector<CallRow> rows;
    for (int k = 0; k < count; ++k) {
        CallRow row;
        row.startTime = start + k * 3600;
        row.connectedSeconds = 60;
        row.price = 1.0f;
        rows.push_back(row);
    }
    return rows;
}

std::vector<CallRow> Concat(std::vector<CallRow> a, const std::vector<CallRow>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// hh = th = 100: a table head of 300, rows of 300, sums blocks of 1200. A page 300 + n × 300
/// high holds a table of n rows.
LayoutParams Params(int bottom) {
    LayoutParams params;
    params.area = {1000, 0, 11000, bottom};
    params.titleHeight = 100;
    params.rowTextHeight = 100;
    params.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                         "July",    "August",   "September", "October", "November", "December"};
    params.monthSumsTitle = "Month sums";
    return params;
}

/// A block as "title rows first-end", "sums COUNT" or "total COUNT", pages as "|".
std::string Describe(const ReportLayout& layout) {
    std::string text;
    for (std::size_t b = 0; b < layout.blocks.size(); ++b) {
        for (std::size_t page = 1; page < layout.pages.size(); ++page) {
            if (layout.pages[page] == b) {
                text += "| ";
            }
        }
        const PrintBlock& block = layout.blocks[b];
        if (block.hasTable) {
            text += block.title + " " + std::to_string(block.firstRow) + "-" +
                    std::to_string(block.endRow) + " ";
        } else {
            text += "sums " + std::to_string(block.totals.count) + " ";
        }
    }
    return text;
}

TEST(ReportLayout, BlocksAndPagesFollowMonthsAndSettings) {
    const auto janFeb = Concat(Rows(kJanuary, 3), Rows(kFebruary, 2));
    CallTotals all;
    for (const CallRow& row : janFeb) {
        all.Add(row);
    }
    const struct {
        const char* what;
        std::vector<CallRow> rows;
        int bottom;
        bool monthSums, totalSums, monthSumsMode;
        std::string expected;
    } cases[] = {
        {"two months, two blocks with their sums", janFeb, 20000, true, true, false,
         "January 2024 0-3 sums 3 February 2024 3-5 sums 2 sums 5 "},
        {"no month sums", janFeb, 20000, false, true, false,
         "January 2024 0-3 February 2024 3-5 sums 5 "},
        {"only tables", janFeb, 20000, false, false, false, "January 2024 0-3 February 2024 3-5 "},
        // Five rows a page: the month goes on under its title, its sums count all its rows.
        {"a month over two pages", Rows(kJanuary, 6), 1800, true, false, false,
         "January 2024 0-5 | January 2024 5-6 sums 6 "},
        // The sums block finds no room under the rows: the next page.
        {"sums on the next page", Rows(kJanuary, 3), 1500, true, false, false,
         "January 2024 0-3 | sums 3 "},
        // The page ends just where February begins: January's sums still follow.
        {"a page full at the change of month", janFeb, 1200, true, false, false,
         "January 2024 0-3 | sums 3 | February 2024 3-5 | sums 2 "},
        // Room for a title and a header row but not for a row: the block starts a page.
        {"no block without rows", janFeb, 1650, false, false, false,
         "January 2024 0-3 | February 2024 3-5 "},
        {"month-sums mode", janFeb, 1500, true, true, true,
         "Month sums 0-4 | Month sums 4-5 | sums 5 "},
        // A page too short for one row still takes one row a page, and ends.
        {"a page too short", Rows(kJanuary, 2), 400, false, false, false,
         "January 2024 0-1 | January 2024 1-2 "},
    };
    for (const auto& c : cases) {
        LayoutParams params = Params(c.bottom);
        params.monthSumsBlocks = c.monthSums;
        params.totalSumsBlock = c.totalSums;
        params.monthSumsMode = c.monthSumsMode;
        EXPECT_EQ(Describe(LayOutReport(c.rows, all, params)), c.expected) << c.what;
    }
}

TEST(ReportLayout, ANewPageAfterTheLastRowsOnlyForTheTotalSums) {
    // Four rows fill the page to 1500 of 1700: less than a row is left.
    const auto rows = Rows(kJanuary, 4);
    LayoutParams params = Params(1700);
    params.monthSumsBlocks = false;
    params.totalSumsBlock = false;
    EXPECT_EQ(LayOutReport(rows, {}, params).PageCount(), 1);
    params.totalSumsBlock = true;
    params.totalSumsTitle = "All months";
    const ReportLayout layout = LayOutReport(rows, {}, params);
    ASSERT_EQ(layout.PageCount(), 2);
    ASSERT_EQ(layout.PageBlocks(2).size(), 1u);
    EXPECT_TRUE(layout.PageBlocks(2)[0].hasSums);
    // The list's sums say that they are not a month's.
    EXPECT_EQ(layout.PageBlocks(2)[0].title, "All months");
    EXPECT_EQ(layout.PageBlocks(2)[0].y, 0);
}

TEST(ReportLayout, GeometryOfTablesAndSums) {
    const auto rows = Rows(kJanuary, 2);
    CallTotals totals;
    totals.count = 7;
    const ReportLayout layout = LayOutReport(rows, totals, Params(20000));
    EXPECT_EQ(layout.rowHeight, 300);
    EXPECT_EQ(layout.sumsHeight, 1200);
    ASSERT_EQ(layout.blocks.size(), 3u);
    const PrintBlock& table = layout.blocks[0];
    EXPECT_EQ(table.x, 1000);
    EXPECT_EQ(table.y, 0);
    // The frame starts under the title and spans the printing width whatever the columns.
    EXPECT_EQ(table.tableLeft, 1000);
    EXPECT_EQ(table.tableTop, 200);
    EXPECT_EQ(table.tableRight, 11000);
    EXPECT_EQ(table.tableBottom, 300 + 2 * 300);
    EXPECT_EQ(layout.blocks[1].y, 900);
    EXPECT_EQ(layout.blocks[1].totals.count, 2);
    EXPECT_EQ(layout.blocks[2].y, 2100);
    EXPECT_EQ(layout.blocks[2].totals.count, 7);
    EXPECT_EQ(layout.PageBlocks(0).size(), 0u);
    EXPECT_EQ(layout.PageBlocks(2).size(), 0u);
}

TEST(ReportLayout, NoRowsNoPages) {
    const ReportLayout layout = LayOutReport({}, {}, Params(20000));
    EXPECT_EQ(layout.PageCount(), 0);
    EXPECT_TRUE(layout.blocks.empty());
}

TEST(ReportLayout, ColumnWidthsAreSharesOfThePrintingWidth) {
    const PrintArea area{1500, 1500, 1500 + 26101, 17820};
    // The default columns take 58 percent of the width.
    const std::vector<int> widths = ColumnWidths({0, 1, 2, 4, 6}, area);
    EXPECT_EQ(widths, (std::vector<int>{3915, 3915, 2610, 2088, 2610}));
    // Single precision, truncated: a tenth of 10000 comes out a unit short.
    EXPECT_EQ(ColumnWidths({4, 3}, {0, 0, 10000, 0}), (std::vector<int>{800, 999}));
}

TEST(ReportStyle, TheReportIsLaidOutOnThePaperItPrintsOn) {
    const FixedTextSource texts;
    Settings settings(texts);
    // The settings' own page: the A4 code with a stored size of 281.01 x 203.2 mm, landscape.
    ASSERT_EQ(settings.PrintPage.paperSize, 9);
    ASSERT_EQ(settings.PrintPage.paperWidth, 28101);
    ReportStyle style = ReportStyleOf(settings);
    EXPECT_EQ(style.page.paperWidth, 29700);
    EXPECT_EQ(style.page.paperHeight, 21000);
    EXPECT_EQ(style.page.orientation, 2);
    EXPECT_EQ(PrintAreaOf(style.page).right, 29700 - 2000);
    EXPECT_EQ(PrintAreaOf(style.page).bottom, 21000 - 2500);

    // A paper of its own keeps its size; the header and footer stay as they were.
    settings.PrintPage.paperSize = 256;
    settings.PrintPage.orientation = 1;
    settings.PrintPage.paperWidth = 15000;
    settings.PrintPage.paperHeight = 20000;
    style = ReportStyleOf(settings);
    EXPECT_EQ(style.page.paperWidth, 15000);
    EXPECT_EQ(style.page.paperHeight, 20000);
    EXPECT_EQ(style.page.HeaderText(), settings.PrintPage.HeaderText());
    EXPECT_EQ(style.page.leftMargin, settings.PrintPage.leftMargin);
}

}  // namespace
}  // namespace ov
