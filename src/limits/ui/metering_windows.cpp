#include "limits/ui/metering_windows.h"

#include "dialogs/ui/ui_resources.h"
#include "limits/metering_host.h"
#include "limits/ui/desktop_notifier.h"
#include "limits/ui/limit_notify_window.h"
#include "limits/ui/limits_strings.h"
#include "limits/ui/live_display_widget.h"
#include "limits/ui/live_display_window.h"

namespace ov {

MeteringWindows::MeteringWindows(SettingsValues& settings, const UiResources& resources,
                                 MeteringHost& host, DesktopNotifier* notifier)
    : m_settings(settings), m_resources(resources), m_host(host), m_notifier(notifier) {
    m_host.SetView(this);
}

MeteringWindows::~MeteringWindows() {
    m_host.SetView(nullptr);
    delete m_display;
}

bool MeteringWindows::ToggleDisplay() {
    if (!m_display) {
        return false;
    }
    m_display->Toggle();
    return true;
}

void MeteringWindows::ReloadPack() {
    if (m_display) {
        m_display->ReloadPack();
    }
}

void MeteringWindows::DisplayStarted(const LiveDisplayCtrl& display) {
    if (!m_display) {
        m_display = new LiveDisplayWindow(m_settings, display, m_resources);
        // Queued: a command may close the display, which must not happen inside its handler.
        connect(m_display, &LiveDisplayWindow::command, this, &MeteringWindows::command,
                Qt::QueuedConnection);
        connect(m_display, &LiveDisplayWindow::hangUpEntry, this, &MeteringWindows::hangUpEntry,
                Qt::QueuedConnection);
        m_display->show();
    }
    if (m_display->isVisible()) {
        m_display->Drawing()->Redraw();
    }
}

void MeteringWindows::DisplayTicked(const DisplayTick& tick) {
    if (m_display) {
        m_display->Drawing()->OnTick(tick);
    }
}

void MeteringWindows::DisplayClosing() {
    if (!m_display) {
        return;
    }
    m_display->StorePosition();
    m_display->hide();
    // Later: this may run inside a handler of the window itself (its hang-up button).
    m_display->deleteLater();
    m_display = nullptr;
}

std::optional<std::string> MeteringWindows::NotificationOpened(const std::string& message) {
    const QString text = QString::fromStdString(message);
    if (m_notifier != nullptr) {
        m_notifier->Notify(m_resources.Text(kProductNameString), text);
    }
    m_notification = std::make_unique<LimitNotifyWindow>(m_resources, text);
    connect(
        m_notification.get(), &LimitNotifyWindow::answered, this,
        [this](int button) {
            m_host.AnswerNotification(static_cast<LimitNotifyDialog::Result>(button));
        },
        Qt::QueuedConnection);
    m_notification->Show();
    return m_notification->OkCaption().toStdString();
}

void MeteringWindows::NotificationChanged(const LimitNotifyDialog& notification) {
    if (m_notification) {
        m_notification->SetOkText(QString::fromStdString(notification.okText()));
    }
}

void MeteringWindows::NotificationClosed() {
    if (m_notification) {
        m_notification->Window()->hide();
        m_notification.release()->deleteLater();
    }
}

}  // namespace ov
