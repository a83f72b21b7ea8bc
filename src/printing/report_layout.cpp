#include "printing/report_layout.h"

#include <cstdio>

#include "platform/clock.h"

namespace ov {

namespace {

/// The local month of a row as year × 12 + month (0-11); 0 when the clock cannot show it.
int MonthKey(const CallRow& row) {
    std::tm local{};
    if (!ToLocalTime(row.startTime, local)) {
        return 0;
    }
    return (local.tm_year + 1900) * 12 + local.tm_mon;
}

}  // namespace

std::span<const PrintBlock> ReportLayout::PageBlocks(int page) const {
    if (page < 1 || page > PageCount()) {
        return {};
    }
    const std::size_t first = pages[static_cast<std::size_t>(page - 1)];
    const std::size_t end =
        page == PageCount() ? blocks.size() : pages[static_cast<std::size_t>(page)];
    return std::span<const PrintBlock>(blocks).subspan(first, end - first);
}

std::vector<int> ColumnWidths(const std::vector<std::int16_t>& columns, const PrintArea& area) {
    std::vector<int> widths;
    widths.reserve(columns.size());
    const auto printingWidth = static_cast<float>(area.right - area.left);
    for (const std::int16_t id : columns) {
        const int share = id >= 0 && id < static_cast<int>(kColumnShares.size())
                              ? kColumnShares[static_cast<std::size_t>(id)]
                              : 0;
        widths.push_back(static_cast<int>(static_cast<float>(share) * 0.01f * printingWidth));
    }
    return widths;
}

ReportLayout LayOutReport(std::span<const CallRow> rows, const CallTotals& listTotals,
                          const LayoutParams& params) {
    ReportLayout layout;
    const int hh = params.titleHeight;
    const PrintArea& area = params.area;
    layout.rowHeight = params.rowTextHeight + 200;
    layout.sumsHeight = 7 * hh + 500;
    const int rowHeight = layout.rowHeight;
    const int tableHead = 2 * hh + 100;  // title and header row
    if (rows.empty()) {
        return layout;
    }
    auto newPageAt = [&](std::size_t block) {
        if (layout.pages.back() != block) {
            layout.pages.push_back(block);
        }
    };

    const std::size_t n = rows.size();
    int c = area.top;
    std::size_t i = 0;
    layout.pages.push_back(0);
    CallTotals month;  // the running sums of the month of the last row taken
    int lastKey = -1;  // that month
    while (i < n) {
        // A block whose title and header row would leave no room for a row would stand alone
        // at the foot of the page, its month unknown: it starts the next page instead.
        if (c > area.top && c + tableHead + rowHeight > area.bottom) {
            c = area.top;
            newPageAt(layout.blocks.size());
        }
        PrintBlock block;
        block.x = area.left;
        block.y = c;
        block.firstRow = i;
        block.hasTable = true;
        const bool atPageTop = c == area.top;
        c += tableHead;
        // A page too short for one row still takes one row per block, so the layout ends.
        auto roomForRow = [&] {
            return c + rowHeight <= area.bottom || (atPageTop && i == block.firstRow);
        };
        bool sumsFollow = false;
        if (params.monthSumsMode) {
            while (i < n && roomForRow()) {
                c += rowHeight;
                ++i;
            }
            block.title = params.monthSumsTitle;
        } else {
            const int blockKey = MonthKey(rows[i]);
            while (i < n && roomForRow()) {
                const int key = MonthKey(rows[i]);
                if (i > block.firstRow && key != blockKey) {
                    break;
                }
                if (key != lastKey) {
                    month.Clear();
                }
                month.Add(rows[i]);
                lastKey = key;
                c += rowHeight;
                ++i;
            }
            char title[256];
            (void)std::snprintf(title, sizeof title, "%s %d",
                                params.monthNames[static_cast<std::size_t>(blockKey % 12)].c_str(),
                                blockKey / 12);
            block.title = title;
            // The month ends here when the next row is of another month, also when the page
            // ran out just at the change: its sums must not be lost.
            sumsFollow = params.monthSumsBlocks && (i == n || MonthKey(rows[i]) != blockKey);
        }
        block.endRow = i;
        block.tableLeft = block.x;
        block.tableTop = block.y + hh + 100;
        block.tableRight = area.right;
        block.tableBottom = c;
        layout.blocks.push_back(std::move(block));

        if (sumsFollow) {
            PrintBlock sums;
            sums.x = area.left;
            sums.hasSums = true;
            sums.totals = month;
            if (c + layout.sumsHeight > area.bottom) {
                c = area.top;
                newPageAt(layout.blocks.size());
            }
            sums.y = c;
            c += layout.sumsHeight;
            layout.blocks.push_back(std::move(sums));
        }
        if (c + rowHeight > area.bottom) {
            if (i < n || params.totalSumsBlock) {
                newPageAt(layout.blocks.size());
            }
            c = area.top;
        }
    }
    if (params.totalSumsBlock) {
        PrintBlock sums;
        sums.x = area.left;
        sums.hasSums = true;
        sums.totals = listTotals;
        // Beside its headings, so that it is not taken for the last month's sums above it.
        sums.title = params.totalSumsTitle;
        if (c + layout.sumsHeight > area.bottom) {
            c = area.top;
            newPageAt(layout.blocks.size());
        }
        sums.y = c;
        layout.blocks.push_back(std::move(sums));
    }
    return layout;
}

}  // namespace ov
