#include "limits/ui/live_display_widget.h"

#include <QPainter>

#include "dialogs/ui/colours.h"
#include "dialogs/ui/ui_resources.h"
#include "limits/ui/limits_strings.h"

namespace ov {

namespace {
/// Far enough to the right and below for any value the display draws.
constexpr int kTextReach = 1000;
}  // namespace

LiveDisplayWidget::LiveDisplayWidget(const LiveDisplayCtrl& display, const UiResources& resources,
                                     const LogFont& font, QWidget* parent)
    : QXDrawCtrl(parent), m_display(display), m_resources(resources), m_font(ToQFont(font)) {
    SetBackground(ToQColor(display.backgroundColour()));
    // Drawn at fixed pixels in exact colours, as small text on a plain background reads best.
    m_font.setStyleStrategy(QFont::NoAntialias);
    UpdateAccessibleName();
}

void LiveDisplayWidget::OnTick(const DisplayTick& tick) {
    UpdateAccessibleName();
    if (!isVisible()) {
        return;  // metering goes on; only the painting waits
    }
    const int width = this->width();
    QRegion changed;
    if (tick.newUnit || tick.fired) {
        changed += QRect(QPoint(75, 10), QPoint(width - 1, 29));
    }
    changed += QRect(QPoint(30, 10), QPoint(78, 29));
    changed += QRect(QPoint(2, kBarTop), QPoint(width - 1, kBarBottom - 1));
    for (const QRect& rect : changed) {
        Invalidate(rect, false);
    }
    repaint(changed);
}

void LiveDisplayWidget::Redraw() {
    UpdateAccessibleName();
    Invalidate(rect(), true);
}

QString LiveDisplayWidget::AccessibleValues() const {
    const auto value = [](const std::string& text) {
        return QString::fromStdString(text).trimmed();
    };
    return QStringLiteral("%1 %2 %3, %4 %5 %6")
        .arg(m_resources.Text(kNowString), value(m_display.CurrentTimeText()),
             value(m_display.CurrentPriceText()), m_resources.Text(kTotalString),
             value(m_display.TotalTimeText()), value(m_display.TotalPriceText()));
}

void LiveDisplayWidget::UpdateAccessibleName() {
    const QString name = AccessibleValues();
    if (name != accessibleName()) {
        setAccessibleName(name);
    }
}

void LiveDisplayWidget::DrawText(QPainter& painter, QPoint at, const QString& text) {
    // The point is the text's top-left corner; the blanks of a value overwrite the tail of a
    // longer one drawn before, so they are drawn too.
    painter.drawText(QRect(at, QSize(kTextReach, kTextReach)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine |
                         Qt::TextIncludeTrailingSpaces | Qt::TextDontClip,
                     text);
}

void LiveDisplayWidget::EraseBackground(QPainter& painter, const QRegion& region) {
    QXDrawCtrl::EraseBackground(painter, region);
    painter.setFont(m_font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Background());
    painter.setPen(Qt::black);  // the captions keep the default text colour
    DrawText(painter, kNowCaption, m_resources.Text(kNowString));
    DrawText(painter, kTotalCaption, m_resources.Text(kTotalString));
    DrawText(painter, kTimeCaption, m_resources.Text(kTimeString));
    DrawText(painter, kPriceCaption, QString::fromStdString(m_display.priceCaption()));
}

void LiveDisplayWidget::Paint(QPainter& painter, int width, int /*height*/) {
    painter.setFont(m_font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Background());
    painter.setPen(ToQColor(m_display.textColour()));
    if (!m_display.running()) {
        const QString blank = QString::fromLatin1(LiveDisplayCtrl::kBlankTime);
        DrawText(painter, kCurrentTime, blank);
        DrawText(painter, kTotalTime, blank);
        return;
    }
    DrawText(painter, kCurrentTime, QString::fromStdString(m_display.CurrentTimeText()));
    DrawText(painter, kTotalTime, QString::fromStdString(m_display.TotalTimeText()));
    DrawText(painter, kCurrentPrice, QString::fromStdString(m_display.CurrentPriceText()));
    DrawText(painter, kTotalPrice, QString::fromStdString(m_display.TotalPriceText()));

    const UnitBar bar = m_display.Bar(width);
    const int barHeight = kBarBottom - kBarTop;
    if (bar.filledRight > 2) {
        painter.fillRect(QRect(2, kBarTop, bar.filledRight - 2, barHeight),
                         ToQColor(bar.filledColour));
    }
    if (bar.restRight > bar.filledRight) {
        painter.fillRect(
            QRect(bar.filledRight, kBarTop, bar.restRight - bar.filledRight, barHeight),
            Background());
    }
}

}  // namespace ov
