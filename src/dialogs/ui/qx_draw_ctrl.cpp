#include "dialogs/ui/qx_draw_ctrl.h"

#include <QFrame>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QVariant>

namespace ov {

QString ControlName(unsigned id) {
    return QStringLiteral("id%1").arg(id);
}

QXDrawCtrl::QXDrawCtrl(QWidget* parent)
    : QWidget(parent), m_background(palette().color(QPalette::Button)) {
    // Every pixel is painted here: Qt neither clears nor fills what it repaints.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool QXDrawCtrl::Replace(unsigned id, QWidget* dialog, PaintCallback callback) {
    QWidget* placeholder =
        dialog == nullptr ? nullptr : dialog->findChild<QWidget*>(ControlName(id));
    if (placeholder == nullptr || placeholder->parentWidget() == nullptr) {
        return false;
    }
    int inset = 0;
    if (const auto* frame = qobject_cast<QFrame*>(placeholder)) {
        if (frame->frameShadow() == QFrame::Sunken && frame->frameShape() != QFrame::NoFrame) {
            ++inset;  // a sunken edge
        }
        if (frame->frameShape() == QFrame::Box) {
            ++inset;  // a border
        }
    }
    QWidget* parent = placeholder->parentWidget();
    setParent(parent);
    setGeometry(placeholder->geometry().adjusted(inset, inset, -inset, -inset));
    setObjectName(placeholder->objectName());
    if (const QVariant text = placeholder->property("text"); text.isValid()) {
        m_text = text.toString();
    }
    setToolTip(placeholder->toolTip());
    setAccessibleName(placeholder->accessibleName());
    if (QLayout* layout = parent->layout()) {
        delete layout->replaceWidget(placeholder, this);
    }
    if (callback) {
        m_callback = std::move(callback);
    }
    placeholder->setObjectName(QString());  // as identifier -1: no lookup finds it again
    delete placeholder;
    show();
    return true;
}

void QXDrawCtrl::SetBackground(const QColor& colour) {
    m_background = colour;
    update();
}

void QXDrawCtrl::SetText(const QString& text) {
    m_text = text;
    update();
}

void QXDrawCtrl::Invalidate(const QRect& rect, bool erase) {
    const QRect clipped = rect & this->rect();
    if (clipped.isEmpty()) {
        return;
    }
    if (!erase) {
        m_noErase += clipped;
    }
    update(clipped);
}

void QXDrawCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The window system and an erasing invalidation want the background; parts invalidated
    // only for their values are drawn over, so that the values do not flicker.
    if (!(event->region() - m_noErase).isEmpty()) {
        EraseBackground(painter, event->region());
    }
    m_noErase = QRegion();
    Paint(painter, width(), height());
}

void QXDrawCtrl::EraseBackground(QPainter& painter, const QRegion& region) {
    for (const QRect& rect : region) {
        painter.fillRect(rect, m_background);
    }
}

void QXDrawCtrl::Paint(QPainter& painter, int width, int height) {
    if (m_callback) {
        m_callback(painter, width, height);
    }
}

}  // namespace ov
