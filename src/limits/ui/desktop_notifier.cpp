#include "limits/ui/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace ov {

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
    if (!m_bus.isConnected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kUrgencyCritical));
    call << QString::fromLatin1(kAppName) << 0u << QString() << summary << body << QStringList()
         << hints << -1;
    // Not waited for: a missing service answers with an error that nobody needs to see.
    m_bus.asyncCall(call);
}

}  // namespace ov
