#include "limits/ui/limit_notify_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ui/qx_draw_ctrl.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "limits/ui/limits_strings.h"

namespace ov {

LimitNotifyWindow::LimitNotifyWindow(const UiResources& resources, const QString& message) {
    m_window = TemplateLoader::Load(resources, kLimitNotifyTemplate);
    if (!m_window) {
        // No template in the pack: the message and the two buttons all the same.
        m_window = std::make_unique<QDialog>();
        auto* layout = new QVBoxLayout(m_window.get());
        auto* text = new QLabel(m_window.get());
        text->setObjectName(ControlName(kLimitMessageControl));
        layout->addWidget(text);
        for (const auto& [id, caption] :
             {std::pair(kOkButton, "OK"), std::pair(kCancelButton, "Cancel")}) {
            auto* button = new QPushButton(QString::fromLatin1(caption), m_window.get());
            button->setObjectName(ControlName(id));
            layout->addWidget(button);
        }
        m_window->setWindowTitle(resources.Text(kProductNameString));
    }
    m_window->setWindowFlag(Qt::WindowStaysOnTopHint);
    m_window->setWindowIcon(resources.Icon(kConnectedIcon));
    if (auto* text = m_window->findChild<QLabel*>(ControlName(kLimitMessageControl))) {
        text->setText(message);
        text->setAccessibleName(message);
    }
    m_ok = m_window->findChild<QAbstractButton*>(ControlName(kOkButton));
    if (m_ok != nullptr) {
        m_okCaption = m_ok->text();
        connect(m_ok, &QAbstractButton::clicked, this,
                [this] { Answer(LimitNotifyDialog::Result::Ok); });
    }
    if (auto* cancel = m_window->findChild<QAbstractButton*>(ControlName(kCancelButton))) {
        connect(cancel, &QAbstractButton::clicked, this,
                [this] { Answer(LimitNotifyDialog::Result::Cancel); });
    }
    for (auto* button : m_window->findChildren<QAbstractButton*>()) {
        if (button->accessibleName().isEmpty() && !button->toolTip().isEmpty()) {
            button->setAccessibleName(button->toolTip());
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(m_window.get())) {
        // Escape answers as Cancel does.
        connect(dialog, &QDialog::rejected, this,
                [this] { Answer(LimitNotifyDialog::Result::Cancel); });
    }
    m_window->installEventFilter(this);
}

LimitNotifyWindow::~LimitNotifyWindow() {
    m_answered = true;  // closing it now answers nothing
    m_window.reset();
}

void LimitNotifyWindow::SetOkText(const QString& text) {
    if (m_ok != nullptr) {
        m_ok->setText(text);
        m_ok->setAccessibleName(QString(text).remove(u'&'));
    }
}

void LimitNotifyWindow::Show() {
    m_window->show();
    m_window->raise();
}

void LimitNotifyWindow::Answer(LimitNotifyDialog::Result button) {
    if (m_answered) {
        return;
    }
    m_answered = true;
    Q_EMIT answered(static_cast<int>(button));
}

bool LimitNotifyWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        Answer(LimitNotifyDialog::Result::Cancel);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ov
