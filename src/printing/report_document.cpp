#include "printing/report_document.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>

#include "printing/paper.h"
#include "tariff/price_format.h"
#include "viewer/call_list.h"

namespace ov {

LogFont PrintFontFrom(const LogFont& screenFont) {
    // A damaged stored height must not overflow: no font is larger than a paper.
    auto scaled = [](std::int32_t size) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(static_cast<std::int64_t>(size) * -30, -65535, 65535));
    };
    LogFont font = screenFont;
    font.lfHeight = scaled(screenFont.lfHeight);
    font.lfWidth = scaled(screenFont.lfWidth);
    return font;
}

ReportStyle ReportStyleOf(const Settings& settings) {
    ReportStyle style;
    style.titleFont = PrintFontFrom(settings.PrintHFont);
    style.rowFont = PrintFontFrom(settings.PrintTFont);
    style.titleColor = settings.PrintHCol;
    style.rowColor = settings.PrintTCol;
    style.borders = settings.PrintBorders != 0;
    style.rowLines = settings.PrintHLines != 0;
    style.columnLines = settings.PrintVLines != 0;
    style.monthSums = settings.PrintMonSum != 0;
    style.totalSums = settings.PrintTotSum != 0;
    style.chart = settings.PrintGraph != 0;
    style.page = settings.PrintPage;
    return style;
}

ReportDocument MakeReportDocument(const CallList& list, const Settings& settings,
                                  const TextSource& texts) {
    ReportDocument document;
    document.style = ReportStyleOf(settings);
    document.monthSumsMode = list.Filter().monthSums;
    document.columns = list.VisibleColumns();
    for (const std::int16_t id : document.columns) {
        document.columnTitles.push_back(
            IsColumnId(id) ? texts.Entry(kColumnTable[static_cast<std::size_t>(id)].printTitleEntry)
                           : std::string());
    }
    document.rows.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) {
        document.rows.push_back(list.Row(i));
    }
    document.cellText = [&list](std::size_t row, int columnId) {
        const CallRow callRow = list.Row(row);
        return list.CellText(columnId, &callRow);
    };
    document.totals = list.Totals();
    document.tariff = settings.CurrentTariff;
    for (int m = 0; m < 12; ++m) {
        document.monthNames[static_cast<std::size_t>(m)] = texts.Entry(m);
    }
    document.monthSumsTitle = texts.Entry(52);
    document.title = texts.Entry(59);
    document.sumsHeadings = {texts.Entry(35), texts.Entry(36)};
    for (int k = 0; k < 6; ++k) {
        document.sumsLabels[static_cast<std::size_t>(k)] = texts.Entry(37 + k);
    }
    return document;
}

PrintArea PrintAreaOf(const PageRecord& page) {
    return {page.leftMargin, page.topMargin, PaperWidthOf(page) - page.rightMargin,
            PaperHeightOf(page) - page.bottomMargin};
}

LayoutParams LayoutParamsOf(const ReportDocument& document, int titleHeight, int rowTextHeight) {
    LayoutParams params;
    params.area = PrintAreaOf(document.style.page);
    params.titleHeight = titleHeight;
    params.rowTextHeight = rowTextHeight;
    params.monthSumsMode = document.monthSumsMode;
    params.monthSumsBlocks = document.style.monthSums;
    params.totalSumsBlock = document.style.totalSums;
    params.monthNames = document.monthNames;
    params.monthSumsTitle = document.monthSumsTitle;
    return params;
}

SumsValues SumsValuesOf(const CallTotals& totals, const Tariff& tariff) {
    char callsPerDay[64];
    std::snprintf(callsPerDay, sizeof callsPerDay, "%.3f", totals.CallsPerDay());
    SumsValues values;
    values.total = {std::to_string(totals.count),      FormatDuration(totals.TotalSeconds()),
                    FormatPrice(tariff, totals.price), FormatDateTime(totals.first),
                    FormatDateTime(totals.last),       std::to_string(totals.days)};
    values.perDay = {callsPerDay,
                     FormatDuration(totals.SecondsPerDay()),
                     FormatPrice(tariff, totals.PricePerDay()),
                     "",
                     "",
                     ""};
    return values;
}

std::vector<ChartBar> ChartBarsOf(const ReportDocument& document) {
    // Keyed by the local day (or month) so that the bars stand in time order whatever the
    // order of the rows.
    std::map<long, ChartBar> bars;
    for (const CallRow& row : document.rows) {
        if (row.kind > KindMonthSum) {
            continue;
        }
        std::tm local{};
        if (!ToLocalTime(row.startTime, local)) {
            continue;
        }
        const int year = local.tm_year + 1900;
        char label[32];
        long key = 0;
        if (document.monthSumsMode) {
            key = year * 12L + local.tm_mon;
            std::snprintf(label, sizeof label, "%02d.%d", local.tm_mon + 1, year);
        } else {
            key = (year * 12L + local.tm_mon) * 31 + local.tm_mday;
            std::snprintf(label, sizeof label, "%d.%d.", local.tm_mday, local.tm_mon + 1);
        }
        ChartBar& bar = bars[key];
        bar.label = label;
        bar.price += row.price;
        bar.seconds += row.connectedSeconds;
    }
    std::vector<ChartBar> result;
    result.reserve(bars.size());
    for (auto& [key, bar] : bars) {
        result.push_back(std::move(bar));
    }
    return result;
}

}  // namespace ov
