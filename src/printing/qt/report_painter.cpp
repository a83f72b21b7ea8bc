#include "printing/qt/report_painter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

#include "printing/header_footer.h"
#include "printing/paper.h"
#include "tariff/price_format.h"

namespace ov {

namespace {

QColor ColorOf(COLORREF color) {
    return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
            static_cast<int>((color >> 16) & 0xFF)};
}

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// The text whose height sets the row heights: capitals and lower case, with descenders.
constexpr std::string_view kMeasureText = "ABCJabcj";

}  // namespace

QFont FontFromLogFont(const LogFont& description) {
    QFont font(ToQt(description.FaceName()));
    font.setStyleHint(QFont::Serif);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(static_cast<QFont::Weight>(
        description.lfWeight <= 0 ? 400 : std::clamp(description.lfWeight, 100, 900)));
    font.setItalic(description.lfItalic != 0);
    font.setUnderline(description.lfUnderline != 0);
    font.setStrikeOut(description.lfStrikeOut != 0);
    const int height = description.lfHeight == 0 ? 400 : description.lfHeight;
    if (height < 0) {
        font.setPixelSize(std::max(1, -height));
        return font;
    }
    // A positive height is the whole cell, ascent and descent together; the pixel size is the
    // character height, a little less.
    font.setPixelSize(height);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * height / cell))));
    }
    return font;
}

const QFont& QtTextMeasurer::Font(const LogFont& font) const {
    const std::string key(reinterpret_cast<const char*>(&font), sizeof font);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        it = m_fonts.emplace(key, FontFromLogFont(font)).first;
    }
    return it->second;
}

TextExtent QtTextMeasurer::Measure(const LogFont& font, std::string_view text) const {
    const QFontMetricsF metrics(Font(font));
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(ToQt(text)))),
            static_cast<int>(std::ceil(metrics.height()))};
}

void SetPageMapping(QPainter& painter, double dotsPerInch) {
    painter.resetTransform();
    const double scale = dotsPerInch / 2540.0;
    painter.scale(scale, scale);
    painter.setBackgroundMode(Qt::TransparentMode);
}

QPageLayout PageLayoutOf(const PageRecord& page) {
    const PrinterPage printer = PrinterPageOf(page);
    const QPageSize size(QSizeF(printer.paperWidth / 100.0, printer.paperHeight / 100.0),
                         QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    QPageLayout layout(size, printer.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

void StorePageLayout(const QPageLayout& layout, PageRecord& page) {
    PrinterPage printer = PrinterPageOf(page);
    const QSizeF size = layout.pageSize().size(QPageSize::Millimeter);
    printer.paperWidth = static_cast<int>(std::lround(std::min(size.width(), size.height()) * 100));
    printer.paperHeight =
        static_cast<int>(std::lround(std::max(size.width(), size.height()) * 100));
    printer.landscape = layout.orientation() == QPageLayout::Landscape;
    StorePrinterPage(printer, page);
}

ReportPages::ReportPages(const ReportDocument& document) : m_document(document) {
    const ReportStyle& style = document.style;
    m_titleHeight = m_measurer.Measure(style.titleFont, kMeasureText).height;
    m_rowTextHeight = m_measurer.Measure(style.rowFont, kMeasureText).height;
    const LayoutParams params = LayoutParamsOf(document, m_titleHeight, m_rowTextHeight);
    m_layout = LayOutReport(document.rows, document.totals, params);
    m_columnWidths = ColumnWidths(document.columns, params.area);
    m_chart = style.chart && m_layout.PageCount() > 0;
}

int ReportPages::PageCount() const {
    return m_layout.PageCount() + (m_chart ? 1 : 0);
}

void ReportPages::DrawText(QPainter& painter, const LogFont& font, int x, int y,
                           const std::string& text, int maxWidth) const {
    const std::string shown = maxWidth < 0 ? text : FitText(m_measurer, font, text, maxWidth);
    if (shown.empty()) {
        return;
    }
    const QFont& qfont = m_measurer.Font(font);
    painter.setFont(qfont);
    painter.drawText(QPointF(x, y + QFontMetricsF(qfont).ascent()), ToQt(shown));
}

void ReportPages::DrawPage(QPainter& painter, int page, double dotsPerInch) const {
    // An empty report has no pages to print; its file still gets one page, with the header
    // and footer alone.
    if (page < 1 || page > std::max(1, PageCount())) {
        return;
    }
    painter.save();
    SetPageMapping(painter, dotsPerInch);
    DrawHeaderFooter(painter, page);
    if (m_chart && page == PageCount()) {
        DrawChart(painter);
    } else {
        for (const PrintBlock& block : m_layout.PageBlocks(page)) {
            if (block.hasTable) {
                DrawTable(painter, block);
            }
            if (block.hasSums) {
                DrawSums(painter, block);
            }
        }
    }
    painter.restore();
}

void ReportPages::DrawHeaderFooter(QPainter& painter, int page) const {
    const PageRecord& record = m_document.style.page;
    TemplateFields fields;
    fields.page = page;
    fields.title = m_document.title;
    ToLocalTime(m_document.clock->Now(), fields.now);
    const HeaderFooterTexts texts = LayOutHeaderFooter(record, m_measurer, fields);
    painter.setPen(ColorOf(record.headerColor));
    for (const PlacedText& text : texts.header) {
        DrawText(painter, record.headerFont, text.x, text.y, text.text);
    }
    painter.setPen(ColorOf(record.footerColor));
    for (const PlacedText& text : texts.footer) {
        DrawText(painter, record.footerFont, text.x, text.y, text.text);
    }
}

void ReportPages::DrawTable(QPainter& painter, const PrintBlock& block) const {
    const ReportStyle& style = m_document.style;
    const int hh = m_titleHeight;
    const int rowHeight = m_layout.rowHeight;
    painter.setPen(ColorOf(style.titleColor));
    DrawText(painter, style.titleFont, block.x, block.y, block.title);

    auto drawCells = [&](const LogFont& font, int y, auto&& textOf) {
        int left = block.x;
        for (std::size_t c = 0; c < m_document.columns.size(); ++c) {
            const int width = m_columnWidths[c];
            DrawText(painter, font, left + 300, y, textOf(c), std::max(0, width - 300));
            left += width;
        }
    };
    drawCells(style.titleFont, block.y + hh + 100,
              [&](std::size_t c) { return m_document.columnTitles[c]; });
    painter.setPen(ColorOf(style.rowColor));
    for (std::size_t row = block.firstRow; row < block.endRow; ++row) {
        const int y = block.y + 2 * hh + 300 + static_cast<int>(row - block.firstRow) * rowHeight;
        drawCells(style.rowFont, y, [&](std::size_t c) {
            return m_document.cellText ? m_document.cellText(row, m_document.columns[c])
                                       : std::string();
        });
    }

    const QRect frame(QPoint(block.tableLeft, block.tableTop),
                      QPoint(block.tableRight, block.tableBottom));
    if (style.borders) {
        painter.setPen(QPen(Qt::black, 50, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(block.tableLeft, block.tableTop, block.tableRight - block.tableLeft,
                                block.tableBottom - block.tableTop));
        const int y = block.tableTop + hh + 100;
        painter.drawLine(block.tableLeft, y, block.tableRight, y);
    }
    painter.setPen(QPen(QColor(64, 64, 64), 25));
    const std::size_t rows = block.endRow - block.firstRow;
    if (style.rowLines && rows >= 2) {
        for (std::size_t m = 1; m < rows; ++m) {
            const int y = block.tableTop + hh + 100 + static_cast<int>(m) * rowHeight;
            painter.drawLine(frame.left(), y, block.tableRight, y);
        }
    }
    if (style.columnLines && !m_columnWidths.empty()) {
        int x = block.x;
        for (std::size_t c = 0; c + 1 < m_columnWidths.size(); ++c) {
            x += m_columnWidths[c];
            painter.drawLine(x, block.tableTop, x, block.tableBottom);
        }
    }
}

void ReportPages::DrawSums(QPainter& painter, const PrintBlock& block) const {
    const ReportStyle& style = m_document.style;
    const int th = m_rowTextHeight;
    // The block is 7 title heights and 500 high; its headings and six lines take about 7
    // title heights. The room left goes above the headings (apart from the table above) and
    // between the headings and the first line, so that the bold headings never touch it.
    const int top = block.y + 200;
    const int firstLine = top + m_titleHeight + 50;
    painter.setPen(ColorOf(style.titleColor));
    DrawText(painter, style.titleFont, block.x, top, block.title, 3300);
    DrawText(painter, style.titleFont, block.x + 3500, top, m_document.sumsHeadings[0]);
    DrawText(painter, style.titleFont, block.x + 7000, top, m_document.sumsHeadings[1]);
    painter.setPen(ColorOf(style.rowColor));
    for (std::size_t k = 0; k < 6; ++k) {
        DrawText(painter, style.rowFont, block.x, firstLine + static_cast<int>(k) * th,
                 m_document.sumsLabels[k]);
    }
    const SumsValues values = SumsValuesOf(block.totals, m_document.tariff);
    painter.setPen(QColor(0, 0, 255));
    for (std::size_t k = 0; k < 6; ++k) {
        const int y = firstLine + static_cast<int>(k) * th;
        DrawText(painter, style.rowFont, block.x + 3500, y, values.total[k], 3500);
        DrawText(painter, style.rowFont, block.x + 7000, y, values.perDay[k], 3500);
    }
}

void ReportPages::DrawChart(QPainter& painter) const {
    const ReportStyle& style = m_document.style;
    const PrintArea area = PrintAreaOf(style.page);
    const std::vector<ChartBar> bars = ChartBarsOf(m_document);
    const int hh = m_titleHeight;
    const int th = m_rowTextHeight;
    double maxPrice = 0;
    std::int64_t maxSeconds = 0;
    for (const ChartBar& bar : bars) {
        maxPrice = std::max(maxPrice, bar.price);
        maxSeconds = std::max(maxSeconds, bar.seconds);
    }
    const std::string priceTop = FormatPrice(m_document.tariff, static_cast<float>(maxPrice));
    const std::string timeTop = FormatDuration(maxSeconds);
    const int axisWidth = std::max(m_measurer.Measure(style.rowFont, priceTop).width,
                                   m_measurer.Measure(style.rowFont, timeTop).width) +
                          300;
    const int plotLeft = area.left + axisWidth;
    const int plotWidth = std::max(1, area.right - plotLeft);
    const int slot = std::max(1, plotWidth / std::max<int>(1, static_cast<int>(bars.size())));
    // Day labels are thinned out so that they never run into each other.
    int labelWidth = 0;
    for (const ChartBar& bar : bars) {
        labelWidth = std::max(labelWidth, m_measurer.Measure(style.rowFont, bar.label).width);
    }
    const int labelStep = std::max(1, (labelWidth + 200 + slot - 1) / slot);
    const int half = (area.bottom - area.top) / 2;

    auto drawOne = [&](int top, int bottom, const std::string& heading, const std::string& topText,
                       const QColor& color, auto&& valueOf, double maxValue) {
        painter.setPen(ColorOf(style.titleColor));
        DrawText(painter, style.titleFont, area.left, top, heading);
        const int plotTop = top + hh + 300;
        const int plotBottom = bottom - th - 300;
        painter.setPen(ColorOf(style.rowColor));
        DrawText(painter, style.rowFont, area.left, plotTop - th / 2, topText);
        DrawText(painter, style.rowFont, area.left, plotBottom - th / 2, "0");
        painter.setPen(QPen(QColor(160, 160, 160), 10, Qt::DotLine));
        painter.drawLine(plotLeft, plotTop, area.right, plotTop);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (std::size_t b = 0; b < bars.size(); ++b) {
            const double value = valueOf(bars[b]);
            const int height =
                maxValue > 0 ? static_cast<int>(value / maxValue * (plotBottom - plotTop)) : 0;
            const int x = plotLeft + static_cast<int>(b) * slot + slot / 6;
            painter.drawRect(QRect(x, plotBottom - height, std::max(1, slot * 2 / 3), height));
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 25));
        painter.drawLine(plotLeft, plotTop, plotLeft, plotBottom);
        painter.drawLine(plotLeft, plotBottom, area.right, plotBottom);
        painter.setPen(ColorOf(style.rowColor));
        for (std::size_t b = 0; b < bars.size(); b += static_cast<std::size_t>(labelStep)) {
            const int width = m_measurer.Measure(style.rowFont, bars[b].label).width;
            const int x = plotLeft + static_cast<int>(b) * slot + (slot - width) / 2;
            DrawText(painter, style.rowFont, x, plotBottom + 100, bars[b].label);
        }
    };
    drawOne(
        area.top, area.top + half, m_document.sumsLabels[2], priceTop, QColor(0, 0, 255),
        [](const ChartBar& bar) { return bar.price; }, maxPrice);
    drawOne(
        area.top + half, area.bottom, m_document.sumsLabels[1], timeTop, QColor(64, 64, 64),
        [](const ChartBar& bar) { return static_cast<double>(bar.seconds); },
        static_cast<double>(maxSeconds));
}

bool WriteReportPdf(const ReportDocument& document, const std::string& path, std::string* error) {
    auto fail = [&](const QString& why) {
        if (error != nullptr) {
            *error = "cannot write " + path + ": " + why.toStdString();
        }
        return false;
    };
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(file.errorString());
    }
    const ReportPages pages(document);
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(PageLayoutOf(document.style.page));
        writer.setResolution(ResolutionOfQuality(document.style.page.printQuality));
        writer.setTitle(ToQt(document.title));
        writer.setCreator(QStringLiteral("Orvanta"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return fail(QStringLiteral("the PDF could not be started"));
        }
        // An empty list still gives a valid file: one page with its header and footer.
        const int count = std::max(1, pages.PageCount());
        for (int page = 1; page <= count; ++page) {
            if (page > 1) {
                writer.newPage();
            }
            pages.DrawPage(painter, page, writer.resolution());
        }
        painter.end();
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        return fail(file.errorString());
    }
    file.close();
    return true;
}

}  // namespace ov
