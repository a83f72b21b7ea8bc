#include "dialogs/ui/qx_web_link_ctrl.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

#include "dialogs/ui/ui_resources.h"
#include "dialogs/ui/ui_strings.h"

namespace ov {

QXWebLinkCtrl::QXWebLinkCtrl(QWidget* parent, const UiResources* resources)
    : QLabel(parent), m_resources(resources) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setFocusPolicy(Qt::TabFocus);
    if (m_resources != nullptr) {
        setCursor(m_resources->Cursor(kLinkCursor));
    } else {
        setCursor(Qt::PointingHandCursor);
    }
    m_open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_fail = [this](const QString& message) {
        QMessageBox::warning(window(), window()->windowTitle(), message);
    };
}

bool QXWebLinkCtrl::MayOpen(const QString& target) {
    const QUrl url(target.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QStringLiteral("mailto")) {
        return !url.path().isEmpty();
    }
    return (scheme == QStringLiteral("http") || scheme == QStringLiteral("https") ||
            scheme == QStringLiteral("ftp")) &&
           !url.host().isEmpty();
}

void QXWebLinkCtrl::Activate() {
    if (m_target.isEmpty()) {
        return;
    }
    // A file, a program or any other scheme is never opened from a link: the target may come
    // from a pack or a setting, and opening it would run whatever it names.
    if (MayOpen(m_target) && m_open(QUrl(m_target.trimmed(), QUrl::StrictMode))) {
        m_current = QColor(kVisitedColour);
        update();
    } else if (m_fail) {
        m_fail(m_resources != nullptr ? m_resources->Text(kLinkFailedString) : QString());
    }
    SetHover(false);
}

void QXWebLinkCtrl::SetHover(bool hover) {
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void QXWebLinkCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(font());
    painter.setPen(DrawnColour());
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

void QXWebLinkCtrl::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    SetHover(true);
}

void QXWebLinkCtrl::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetHover(false);
}

void QXWebLinkCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void QXWebLinkCtrl::keyPressEvent(QKeyEvent* event) {
    // Reached with the keyboard, a link opens as a button does.
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void QXWebLinkCtrl::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !font().underline()) {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
    }
}

void ExchangeWebLink(bool save, QXWebLinkCtrl& control, QString& target) {
    if (save) {
        target = control.Target();
    } else {
        control.SetTarget(target);
    }
}

}  // namespace ov
