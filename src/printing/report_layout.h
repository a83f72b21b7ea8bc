#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "viewer/call_store.h"
#include "viewer/call_totals.h"

namespace ov {

/// The part of the page the report's blocks fill, in full-page print units (0.01 mm).
struct PrintArea {
    int left = 0;
    int top = 0;
    int right = 0;   // paper width less the right margin
    int bottom = 0;  // paper height less the bottom margin
};

/// One block of the report: a table of call rows under a title, or a sums block.
struct PrintBlock {
    std::string title;
    int tableLeft = 0;  // the table's frame
    int tableTop = 0;
    int tableRight = 0;
    int tableBottom = 0;
    bool hasSums = false;
    bool hasTable = false;
    std::size_t firstRow = 0;  // rows [firstRow, endRow) of the report's rows
    std::size_t endRow = 0;
    int x = 0;  // the block's top left
    int y = 0;
    CallTotals totals;  // of a sums block
};

/// What the layout needs besides the rows.
struct LayoutParams {
    PrintArea area;
    int titleHeight = 0;          // "hh": the height of "ABCJabcj" in the title font
    int rowTextHeight = 0;        // "th": the same in the row font
    bool monthSumsMode = false;   // the rows are month lines, not calls
    bool monthSumsBlocks = true;  // a sums block after each month
    bool totalSumsBlock = true;   // a sums block of the whole list at the end
    std::array<std::string, 12> monthNames;
    std::string monthSumsTitle;  // the title of every table in month-sums mode
    std::string totalSumsTitle;  // the caption of the list's sums block ("All months")
};

/// Shares of the printing width, in percent, by column id.
inline constexpr std::array<int, 9> kColumnShares{15, 15, 10, 10, 8, 12, 10, 15, 5};

/// The report laid out into blocks and pages.
struct ReportLayout {
    std::vector<PrintBlock> blocks;  // in page order
    std::vector<std::size_t> pages;  // the index of each page's first block
    int rowHeight = 0;
    int sumsHeight = 0;

    int PageCount() const { return static_cast<int>(pages.size()); }
    /// The blocks of page `page` (from 1); empty outside the pages.
    std::span<const PrintBlock> PageBlocks(int page) const;
};

/// The width of each visible column: its share of the printing width, in single precision,
/// truncated.
std::vector<int> ColumnWidths(const std::vector<std::int16_t>& columns, const PrintArea& area);

/// Lays the rows out: a table block per month (or per page in month-sums mode) with a title
/// and a header row, each month followed by its sums when asked, the sums of `listTotals` at
/// the end when asked; a page break wherever the next row or sums block would pass the bottom
/// edge. A block never starts at the foot of a page without room for one row: it moves to the
/// next page. No rows, no pages.
ReportLayout LayOutReport(std::span<const CallRow> rows, const CallTotals& listTotals,
                          const LayoutParams& params);

}  // namespace ov
