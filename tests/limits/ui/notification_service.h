#pragma once

#include <QDBusArgument>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace ov::test {

/// The desktop's notification service as far as a test needs it: it keeps what it is sent.
class NotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received {
        QString appName;
        QString summary;
        QString body;
        int urgency = -1;
    };
    std::vector<Received> received;

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint /*replacesId*/,
                             const QString& /*appIcon*/, const QString& summary,
                             const QString& body, const QStringList& /*actions*/,
                             const QVariantMap& hints, int /*expireTimeout*/) {
        const QVariant urgency = hints.value(QStringLiteral("urgency"));
        received.push_back({appName, summary, body, urgency.isValid() ? urgency.toInt() : -1});
        return static_cast<uint>(received.size());
    }
};

}  // namespace ov::test
