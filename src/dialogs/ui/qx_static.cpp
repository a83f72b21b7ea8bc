#include "dialogs/ui/qx_static.h"

#include <QPainter>

#include "dialogs/ui/colours.h"

namespace ov {

namespace {
LogFont DefaultStaticFont() {
    LogFont font = LogFont::Make("Arial", -11, 400, 0);
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = 1;
    font.lfPitchAndFamily = 34;
    return font;
}
}  // namespace

QXStatic::QXStatic(QWidget* parent) : QXDrawCtrl(parent), m_font(DefaultStaticFont()) {}

void QXStatic::SetFont(const LogFont& font) {
    m_font = font;
    update();
}

void QXStatic::SetColour(COLORREF colour) {
    m_colour = colour;
    update();
}

void QXStatic::SetAlignment(int flags) {
    m_alignment = flags;
    update();
}

Qt::Alignment QXStatic::QtAlignment(int flags) {
    if ((flags & kLeft) != 0) {
        return Qt::AlignLeft | Qt::AlignTop;
    }
    if ((flags & kRight) != 0) {
        return Qt::AlignRight | Qt::AlignTop;
    }
    if ((flags & kCentre) != 0) {
        return Qt::AlignCenter;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

void QXStatic::Paint(QPainter& painter, int width, int height) {
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(ToQColor(m_colour));
    painter.setFont(ToQFont(m_font));
    painter.drawText(QRect(0, 0, width, height), static_cast<int>(QtAlignment(m_alignment)),
                     Text());
}

void ExchangeStatic(bool save, QXStatic& control, LogFont& font, COLORREF& colour, int& alignment) {
    if (save) {
        font = control.Font();
        colour = control.Colour();
        alignment = control.Alignment();
    } else {
        control.SetFont(font);
        control.SetColour(colour);
        control.SetAlignment(alignment);
    }
}

}  // namespace ov
