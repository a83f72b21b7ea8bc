#pragma once

#include <QDBusConnection>
#include <QString>

namespace ov {

/// Sends a message to the desktop's notification service (org.freedesktop.Notifications), so
/// that a limit is seen also behind a full-screen program. Without such a service on the bus
/// nothing happens; the call never waits for the answer.
class DesktopNotifier {
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kAppName = "Orvanta";
    /// The hint that makes the notification stay until it is seen.
    static constexpr unsigned char kUrgencyCritical = 2;

    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus());

    /// A notification with `summary` over `body`.
    void Notify(const QString& summary, const QString& body);

private:
    QDBusConnection m_bus;
};

}  // namespace ov
