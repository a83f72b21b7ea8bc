#pragma once

#include <QFont>
#include <QPageLayout>

#include <map>
#include <string>

#include "printing/report_document.h"
#include "printing/report_layout.h"
#include "printing/text_measurer.h"

class QPainter;

namespace ov {

/// A Qt font from a stored font description whose height is in print units: a negative height
/// is the character height (the font's pixel size), a positive one the cell height.
QFont FontFromLogFont(const LogFont& description);

/// Measures with Qt's font metrics, in the units the fonts are sized in.
class QtTextMeasurer final : public TextMeasurer {
public:
    TextExtent Measure(const LogFont& font, std::string_view text) const override;
    /// The Qt font of a description, made once.
    const QFont& Font(const LogFont& font) const;

private:
    mutable std::map<std::string, QFont> m_fonts;
};

/// Switches the painter to print units: 0.01 mm, origin at the top left of the page, y down,
/// for a device of `dotsPerInch`; text backgrounds transparent.
void SetPageMapping(QPainter& painter, double dotsPerInch);

/// The page layout of a page settings record: its paper and orientation, no margins (the
/// report places everything itself, in full-page coordinates).
QPageLayout PageLayoutOf(const PageRecord& page);
/// Paper and orientation of a page layout, stored in a record.
void StorePageLayout(const QPageLayout& layout, PageRecord& page);

/// The report of one document: laid out once with Qt's measures, then drawn page by page.
class ReportPages {
public:
    explicit ReportPages(const ReportDocument& document);

    const ReportLayout& Layout() const { return m_layout; }
    /// The report's pages, and the chart page when the document asks for one.
    int PageCount() const;
    bool HasChartPage() const { return m_chart; }

    /// Draws page `page` (from 1): sets the page mapping, then the header and footer and the
    /// page's blocks, or the chart. Page 1 of an empty report has the header and footer only.
    void DrawPage(QPainter& painter, int page, double dotsPerInch) const;

private:
    void DrawHeaderFooter(QPainter& painter, int page) const;
    void DrawTable(QPainter& painter, const PrintBlock& block) const;
    void DrawSums(QPainter& painter, const PrintBlock& block) const;
    void DrawChart(QPainter& painter) const;
    /// Draws a text with its top left at (x, y), cut to `maxWidth` when given.
    void DrawText(QPainter& painter, const LogFont& font, int x, int y, const std::string& text,
                  int maxWidth = -1) const;

    const ReportDocument& m_document;
    QtTextMeasurer m_measurer;
    ReportLayout m_layout;
    std::vector<int> m_columnWidths;
    int m_titleHeight = 0;
    int m_rowTextHeight = 0;
    bool m_chart = false;
};

/// Writes the document as a PDF file, page for page as it prints. False, with the reason in
/// `error`, when the file cannot be written. Needs a QGuiApplication.
bool WriteReportPdf(const ReportDocument& document, const std::string& path, std::string* error);

}  // namespace ov
