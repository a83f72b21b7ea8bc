#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/text_source.h"
#include "printing/report_layout.h"
#include "settings/page_record.h"
#include "settings/stored_records.h"
#include "tariff/tariff.h"
#include "viewer/call_store.h"
#include "viewer/call_totals.h"

namespace ov {

class CallList;
class Settings;

/// How the report looks: the print settings, with the fonts in print units.
struct ReportStyle {
    LogFont titleFont;  // block titles, header rows, sums headings
    LogFont rowFont;    // table rows and sums lines
    COLORREF titleColor = 0;
    COLORREF rowColor = 0;
    bool borders = true;
    bool rowLines = true;
    bool columnLines = true;
    bool monthSums = true;
    bool totalSums = true;
    bool chart = false;  // a chart page of price and time at the end
    PageRecord page;
};

/// Everything the report draws, without a drawing library: the rows of the call list in
/// load order, their cell texts, the totals and every text from the language pack.
struct ReportDocument {
    ReportStyle style;
    bool monthSumsMode = false;
    std::vector<std::int16_t> columns;      // visible column ids, in list order
    std::vector<std::string> columnTitles;  // their printed titles
    std::vector<CallRow> rows;              // valid while the call list lives
    std::function<std::string(std::size_t row, int columnId)> cellText;
    CallTotals totals;
    Tariff tariff;  // for the prices of the sums
    std::array<std::string, 12> monthNames;
    std::string monthSumsTitle;
    std::string title;                        // "#D" of headers and footers
    std::array<std::string, 2> sumsHeadings;  // "Total", "Per day"
    std::array<std::string, 6> sumsLabels;    // calls, time, price, first, last, days
    const Clock* clock = &DefaultClock();     // the date and time of headers and footers
};

/// A report font from a stored screen font: its height times -30, so a stored -12 (pixels of
/// character height) gives a cell height of 360 print units.
LogFont PrintFontFrom(const LogFont& screenFont);

/// The print settings as the report draws by them: fonts in print units, flags as booleans.
ReportStyle ReportStyleOf(const Settings& settings);

/// The document of the call list as it stands, under the print settings and the pack's texts.
/// The list must outlive the document.
ReportDocument MakeReportDocument(const CallList& list, const Settings& settings,
                                  const TextSource& texts);

/// The layout parameters of a document, given the two measured text heights.
LayoutParams LayoutParamsOf(const ReportDocument& document, int titleHeight, int rowTextHeight);

/// The printing area of a page settings record.
PrintArea PrintAreaOf(const PageRecord& page);

/// The values of a sums block, by row 1-6: totals and per-day values (the last three rows
/// have no per-day value).
struct SumsValues {
    std::array<std::string, 6> total;
    std::array<std::string, 6> perDay;
};
SumsValues SumsValuesOf(const CallTotals& totals, const Tariff& tariff);

/// One bar pair of the chart page: a day (or a month in month-sums mode) with its price and
/// connected time.
struct ChartBar {
    std::string label;
    double price = 0.0;
    std::int64_t seconds = 0;
};

/// The chart's bars: one per local day that has calls, in time order; in month-sums mode one
/// per month line.
std::vector<ChartBar> ChartBarsOf(const ReportDocument& document);

}  // namespace ov
