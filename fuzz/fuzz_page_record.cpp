// Feeds arbitrary bytes to the page settings record as a stored value is read (980 bytes over
// a fresh record, its texts and face names ended, its lengths brought into range) and runs what the
// printing does with one: the printer's page, the printing area, the header and footer placed for a
// page, the position fields, the page setup's units and a report laid out on it. None of it may
// crash, overflow or loop; the printer's page must survive being stored back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "printing/header_footer.h"
#include "printing/page_setup_fields.h"
#include "printing/paper.h"
#include "printing/report_document.h"
#include "printing/report_layout.h"
#include "settings/page_record.h"

namespace {

/// Characters 100 units wide; lines as high as the font says, within the usual range.
class Measurer final : public ov::TextMeasurer {
public:
    ov::TextExtent Measure(const ov::LogFont& font, std::string_view text) const override {
        return {static_cast<int>(text.size()) * 100, font.lfHeight > 0 ? font.lfHeight : 400};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ov::PageRecord page = ov::FreshPageRecord();
    std::memcpy(&page, data, std::min(size, sizeof page));
    page.Terminate();
    page.BringIntoRange();
    if (page.HeaderText().size() >= ov::kPageTextSize ||
        page.FooterText().size() >= ov::kPageTextSize) {
        std::abort();
    }

    const ov::PrinterPage printer = ov::PrinterPageOf(page);
    ov::PageRecord stored = page;
    ov::StorePrinterPage(printer, stored);
    const ov::PrinterPage again = ov::PrinterPageOf(stored);
    if (again.landscape != printer.landscape || again.copies != printer.copies ||
        again.duplex != printer.duplex) {
        std::abort();
    }

    const ov::PrintArea area = ov::PrintAreaOf(page);
    ov::TemplateFields fields;
    fields.page = 3;
    fields.title = "Orvanta";
    const Measurer measurer;
    (void)ov::LayOutHeaderFooter(page, measurer, fields);
    for (const std::int32_t position : {page.headerPosition, page.footerPosition}) {
        (void)ov::ParsePositionField(ov::PositionFieldText(position));
    }
    for (const std::int32_t margin :
         {page.leftMargin, page.rightMargin, page.topMargin, page.bottomMargin}) {
        (void)ov::FromDialogUnits(ov::ToDialogUnits(margin, page.metric != 0), page.metric != 0);
    }

    // A report of two months on the record's page.
    std::vector<ov::CallRow> rows(40);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        rows[k].startTime = 1704067200 + static_cast<std::int64_t>(k) * 86400;
    }
    ov::LayoutParams params;
    params.area = area;
    params.titleHeight = 480;
    params.rowTextHeight = 410;
    const ov::ReportLayout layout = ov::LayOutReport(rows, ov::CallTotals{}, params);
    (void)ov::ColumnWidths({0, 1, 2, 3, 4, 5, 6, 7, 8}, area);
    if (layout.PageCount() < 1 || layout.PageCount() > static_cast<int>(rows.size()) * 3 + 2) {
        std::abort();
    }
    return 0;
}
