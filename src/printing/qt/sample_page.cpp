#include "printing/qt/sample_page.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>

#include "printing/paper.h"
#include "printing/qt/report_painter.h"

namespace ov {

namespace {

/// The blue of the sums' values, as the report prints them.
constexpr COLORREF kValueBlue = 0x00FF0000;

QColor ColorOf(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

/// A pen of `pixels` on the screen, however the painter is scaled.
QPen ScreenPen(const QColor& color, double pixels, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(color, pixels, style, Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(true);
    return pen;
}

/// Draws the sheet, its shadow and its margins; the painter is left as it was.
void DrawSheet(QPainter& painter, const SampleSheet& sheet, const PageRecord& page) {
    painter.save();
    painter.fillRect(sheet.paper.translated(3, 3), QColor(128, 128, 128));
    painter.fillRect(sheet.paper, Qt::white);
    painter.setPen(ScreenPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(sheet.paper);
    const double s = sheet.scale;
    const QRectF area(sheet.paper.left() + page.leftMargin * s,
                      sheet.paper.top() + page.topMargin * s,
                      sheet.paper.width() - (page.leftMargin + page.rightMargin) * s,
                      sheet.paper.height() - (page.topMargin + page.bottomMargin) * s);
    painter.setPen(ScreenPen(QColor(160, 160, 160), 1, Qt::DotLine));
    if (area.width() > 0 && area.height() > 0) {
        painter.drawRect(area);
    }
    painter.restore();
}

/// The header and footer lines: 2 pixels wide, 5 pixels inside both sides of the sheet, at
/// the header position below the top and the footer position above the bottom.
void DrawHeaderFooterLines(QPainter& painter, const SampleSheet& sheet, const PageRecord& page) {
    painter.save();
    const QRect paper = sheet.paper.toRect();
    auto line = [&](int y, COLORREF color) {
        painter.setPen(QPen(ColorOf(color), 2));
        painter.drawLine(paper.left() + 5, y, paper.right() - 5, y);
    };
    if (page.headerOn != 0) {
        line(paper.top() + static_cast<int>(page.headerPosition * sheet.scale), page.headerColor);
    }
    if (page.footerOn != 0) {
        line(paper.bottom() - static_cast<int>(page.footerPosition * sheet.scale),
             page.footerColor);
    }
    painter.restore();
}

/// Draws the report's parts in print units on a painter scaled to the sheet: texts as bars.
class MiniReport {
public:
    MiniReport(QPainter& painter, const ReportStyle& style, double scale)
        : m_painter(painter), m_style(style), m_pixel(1.0 / scale) {
        m_titleHeight = m_measurer.Measure(style.titleFont, "ABCJabcj").height;
        m_rowHeight = m_measurer.Measure(style.rowFont, "ABCJabcj").height;
    }

    int TitleHeight() const { return m_titleHeight; }
    int RowTextHeight() const { return m_rowHeight; }

    /// A text of the width `sample` has in `font`, as a bar through the middle of its line:
    /// lower case letters' height, a bold font's bar a little thicker.
    void Text(const LogFont& font, COLORREF color, int x, int y, std::string_view sample,
              int maxWidth = -1) const {
        const TextExtent extent = m_measurer.Measure(font, sample);
        int width = extent.width;
        if (maxWidth >= 0) {
            width = std::min(width, maxWidth);
        }
        const double share = font.lfWeight >= 600 ? 0.5 : 0.36;
        const double height = std::max(extent.height * share, m_pixel);
        const double top = y + (extent.height - height) / 2.0;
        m_painter.fillRect(QRectF(x, top, width, height), ColorOf(color));
    }

    /// A table block: title, header row, `rows` rows, frame and lines as the style says.
    /// Returns the y below it.
    int Table(const PrintArea& area, int y, int rows) const {
        static constexpr std::array<int, 5> kShares = {15, 15, 10, 10, 8};
        static constexpr std::array<std::string_view, 5> kTitles = {"Kind", "Start", "Connected",
                                                                    "Dialing", "Price"};
        static constexpr std::array<std::string_view, 5> kCells = {
            "Connected", "03.02.2026  18:04:11", "00:14:25", "00:00:31", "0.42"};
        const int width = area.right - area.left;
        const int hh = m_titleHeight;
        const int rowHeight = m_rowHeight + 200;
        Text(m_style.titleFont, m_style.titleColor, area.left, y, "February 2026");
        const int tableTop = y + hh + 100;
        const int tableBottom = y + 2 * hh + 200 + rows * rowHeight;
        std::array<int, 5> lefts{};
        int x = area.left;
        for (std::size_t c = 0; c < kShares.size(); ++c) {
            lefts[c] = x;
            const int columnWidth = static_cast<int>(kShares[c] * 0.01f * width);
            const int room = std::max(0, columnWidth - 300);
            Text(m_style.titleFont, m_style.titleColor, x + 300, tableTop, kTitles[c], room);
            for (int r = 0; r < rows; ++r) {
                Text(m_style.rowFont, m_style.rowColor, x + 300, y + 2 * hh + 300 + r * rowHeight,
                     kCells[c], room);
            }
            x += columnWidth;
        }
        if (m_style.borders) {
            m_painter.setPen(ScreenPen(Qt::black, 1));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRect(QRectF(area.left, tableTop, width, tableBottom - tableTop));
            m_painter.drawLine(QPointF(area.left, tableTop + hh + 100),
                               QPointF(area.right, tableTop + hh + 100));
        }
        m_painter.setPen(ScreenPen(QColor(64, 64, 64), 1));
        if (m_style.rowLines) {
            for (int m = 1; m < rows; ++m) {
                const double lineY = tableTop + hh + 100 + m * rowHeight;
                m_painter.drawLine(QPointF(area.left, lineY), QPointF(area.right, lineY));
            }
        }
        if (m_style.columnLines) {
            for (std::size_t c = 1; c < lefts.size(); ++c) {
                m_painter.drawLine(QPointF(lefts[c], tableTop), QPointF(lefts[c], tableBottom));
            }
        }
        return tableBottom;
    }

    /// A sums block at y: the two headings and six lines of labels and blue values.
    int Sums(const PrintArea& area, int y) const {
        const int top = y + 200;
        const int first = top + m_titleHeight + 50;
        Text(m_style.titleFont, m_style.titleColor, area.left + 3500, top, "Total");
        Text(m_style.titleFont, m_style.titleColor, area.left + 7000, top, "Per day");
        static constexpr std::array<std::string_view, 6> kLabels = {
            "Calls", "Time", "Price", "First call", "Last call", "Days"};
        static constexpr std::array<std::string_view, 6> kValues = {
            "42", "12:31:09", "17.64", "01.02.2026  08:15:02", "27.02.2026  22:41:50", "27"};
        for (std::size_t k = 0; k < kLabels.size(); ++k) {
            const int lineY = first + static_cast<int>(k) * m_rowHeight;
            Text(m_style.rowFont, m_style.rowColor, area.left, lineY, kLabels[k]);
            Text(m_style.rowFont, kValueBlue, area.left + 3500, lineY, kValues[k], 3500);
            if (k < 3) {
                Text(m_style.rowFont, kValueBlue, area.left + 7000, lineY, kValues[k], 3500);
            }
        }
        return y + 7 * m_titleHeight + 500;
    }

    /// A small line chart filling (left, top) to (right, bottom): axes, price in blue, time in
    /// dark grey, over a month of made-up days.
    void Chart(const PrintArea& box) const {
        static constexpr std::array<double, 14> kPrice = {0.30, 0.55, 0.20, 0.70, 0.45, 0.85, 0.60,
                                                          0.35, 0.90, 0.50, 0.65, 0.25, 0.75, 0.55};
        static constexpr std::array<double, 14> kTime = {0.20, 0.40, 0.15, 0.50, 0.60, 0.55, 0.45,
                                                         0.30, 0.70, 0.65, 0.40, 0.20, 0.55, 0.45};
        Text(m_style.titleFont, m_style.titleColor, box.left, box.top, "Price");
        const double left = box.left + 600;
        const double top = box.top + m_titleHeight + 200;
        const double right = box.right;
        const double bottom = box.bottom;
        if (bottom - top < 4 * m_pixel || right - left < 4 * m_pixel) {
            return;
        }
        m_painter.setPen(ScreenPen(Qt::black, 1));
        m_painter.drawLine(QPointF(left, top), QPointF(left, bottom));
        m_painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
        auto curve = [&](const std::array<double, 14>& values, const QColor& color) {
            QPainterPath path;
            for (std::size_t k = 0; k < values.size(); ++k) {
                const QPointF point(left + (right - left) * (k + 0.5) / values.size(),
                                    bottom - (bottom - top) * values[k]);
                if (k == 0) {
                    path.moveTo(point);
                } else {
                    path.lineTo(point);
                }
            }
            m_painter.setPen(ScreenPen(color, 1.5));
            m_painter.drawPath(path);
        };
        curve(kTime, QColor(64, 64, 64));
        curve(kPrice, QColor(0, 0, 255));
    }

private:
    QPainter& m_painter;
    const ReportStyle& m_style;
    QtTextMeasurer m_measurer;
    double m_pixel;  // one screen pixel in print units
    int m_titleHeight = 0;
    int m_rowHeight = 0;
};

}  // namespace

SampleSheet FitSampleSheet(const PageRecord& page, const QRectF& bounds) {
    const int paperWidth = std::max(1, PaperWidthOf(page));
    const int paperHeight = std::max(1, PaperHeightOf(page));
    const double fit = std::max(
        0.0, std::min((bounds.width() - 10) / paperWidth, (bounds.height() - 10) / paperHeight));
    const int w = static_cast<int>(paperWidth * fit);
    const int h = static_cast<int>(paperHeight * fit);
    SampleSheet sheet;
    sheet.paper = QRectF(bounds.left() + static_cast<int>((bounds.width() - w) / 2),
                         bounds.top() + static_cast<int>((bounds.height() - h) / 2), w, h);
    sheet.scale = w / static_cast<double>(paperWidth);
    return sheet;
}

void DrawSamplePage(QPainter& painter, const QRectF& bounds, const PageRecord& page) {
    const SampleSheet sheet = FitSampleSheet(page, bounds);
    DrawSheet(painter, sheet, page);
    DrawHeaderFooterLines(painter, sheet, page);
}

void DrawSampleReport(QPainter& painter, const QRectF& bounds, const ReportStyle& style) {
    const PageRecord& page = style.page;
    const SampleSheet sheet = FitSampleSheet(page, bounds);
    DrawSheet(painter, sheet, page);
    DrawHeaderFooterLines(painter, sheet, page);
    if (sheet.scale <= 0) {
        return;
    }
    const PrintArea area = PrintAreaOf(page);
    if (area.right <= area.left || area.bottom <= area.top) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(sheet.paper.topLeft());
    painter.scale(sheet.scale, sheet.scale);
    painter.setClipRect(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    const MiniReport report(painter, style, sheet.scale);
    // The chart takes the lower third of the printing area; the blocks what is left above.
    const int chartTop = style.chart ? area.bottom - (area.bottom - area.top) / 3 : area.bottom;
    int y = report.Table(area, area.top, 3);
    if (style.monthSums) {
        y = report.Sums(area, y);
    }
    if (style.totalSums) {
        report.Sums(area, y);
    }
    if (style.chart) {
        painter.fillRect(QRect(area.left, chartTop, area.right - area.left, area.bottom - chartTop),
                         Qt::white);
        report.Chart({area.left, chartTop + 300, area.right, area.bottom});
    }
    painter.restore();
}

}  // namespace ov
