#include "dialogs/ui/qx_color_button.h"

#include <QColorDialog>
#include <QPainter>

namespace ov {

QXColorButton::QXColorButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &QXColorButton::Choose);
}

void QXColorButton::SetColour(const QColor& colour) {
    if (colour == m_colour) {
        return;
    }
    m_colour = colour;
    update();
    Q_EMIT colourChanged(colour);
}

void QXColorButton::Choose() {
    const QColor chosen = QColorDialog::getColor(m_colour, this);
    if (chosen.isValid()) {
        SetColour(chosen);
    }
}

void QXColorButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 6, -7, -7);
    painter.fillRect(swatch, m_colour);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawRect(swatch);
}

}  // namespace ov
