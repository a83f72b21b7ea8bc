#include "platform/ras/nm/nm_dbus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <atomic>
#include <cstdlib>

namespace ov::nm {

namespace {

constexpr int kTimeoutMs = 2000;

/// The system bus, read afresh every time: libdbus reads DBUS_SYSTEM_BUS_ADDRESS once per process,
/// and a bus that has gone away may come back elsewhere.
QString SystemBusAddress() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    return address && *address ? QString::fromLocal8Bit(address)
                               : QStringLiteral("unix:path=/var/run/dbus/system_bus_socket");
}

/// A unique name for every private connection: QtDBus shares connections by name.
QString NextConnectionName() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("orvanta-nm-%1").arg(counter.fetch_add(1));
}

}  // namespace

bool IsVanished(const QString& errorName) {
    static const QStringList kNames{
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
    };
    return kNames.contains(errorName);
}

std::string Text(const QVariant& value) {
    return value.toString().toStdString();
}

/// Unwraps a variant that may still hold the D-Bus variant or argument it arrived in.
QVariant Unwrapped(QVariant value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

std::vector<QString> PathsOf(const QVariant& raw) {
    const QVariant value = Unwrapped(raw);
    QList<QDBusObjectPath> paths;
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        paths = qdbus_cast<QList<QDBusObjectPath>>(value.value<QDBusArgument>());
    } else {
        paths = value.value<QList<QDBusObjectPath>>();
    }
    std::vector<QString> out;
    out.reserve(static_cast<std::size_t>(paths.size()));
    for (const auto& path : paths) {
        out.push_back(path.path());
    }
    return out;
}

QVariantMap MapOf(const QVariant& raw) {
    const QVariant value = Unwrapped(raw);
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    }
    return value.toMap();
}

bool ServiceOnSystemBus() {
    const QString name = NextConnectionName();
    bool owned = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(SystemBusAddress(), name);
        if (bus.isConnected()) {
            auto message = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
            message.setArguments({kService});
            const QDBusMessage answer = bus.call(message, QDBus::Block, kTimeoutMs);
            owned =
                answer.type() == QDBusMessage::ReplyMessage && answer.arguments().value(0).toBool();
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return owned;
}

Bus::~Bus() {
    Drop();
}

Outcome Bus::Call(const QString& path, const QString& iface, const QString& method,
                  const QVariantList& args, QVariantList* reply, QString* errorName) {
    return CallOn(kService, path, iface, method, args, reply, errorName);
}

Outcome Bus::Owner(QString& out) {
    QVariantList reply;
    const Outcome outcome =
        CallOn(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
               QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"), {kService},
               &reply, nullptr);
    if (outcome == Outcome::Ok) {
        out = reply.value(0).toString();
        return Outcome::Ok;
    }
    return Outcome::Failed;
}

Outcome Bus::CallOn(const QString& service, const QString& path, const QString& iface,
                    const QString& method, const QVariantList& args, QVariantList* reply,
                    QString* errorName) {
    if (!Connect()) {
        return Outcome::Failed;
    }
    auto message = QDBusMessage::createMethodCall(service, path, iface, method);
    message.setArguments(args);
    const QDBusMessage answer = QDBusConnection(m_name).call(message, QDBus::Block, kTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
        if (reply) {
            *reply = answer.arguments();
        }
        return Outcome::Ok;
    }
    if (errorName) {
        *errorName = answer.errorName();
    }
    if (!QDBusConnection(m_name).isConnected()) {
        Drop();  // the bus is gone: connect afresh on the next call
    }
    return IsVanished(answer.errorName()) ? Outcome::Vanished : Outcome::Failed;
}

Outcome Bus::Properties(const QString& path, const QString& iface, QVariantMap& out) {
    QVariantList reply;
    const Outcome outcome = Call(path, kPropertiesIface, QStringLiteral("GetAll"), {iface}, &reply);
    if (outcome == Outcome::Ok) {
        out = reply.isEmpty() ? QVariantMap() : MapOf(reply.first());
    }
    return outcome;
}

Outcome Bus::Property(const QString& path, const QString& iface, const QString& name,
                      QVariant& out) {
    QVariantList reply;
    const Outcome outcome =
        Call(path, kPropertiesIface, QStringLiteral("Get"), {iface, name}, &reply);
    if (outcome == Outcome::Ok) {
        out = reply.isEmpty() ? QVariant() : Unwrapped(reply.first());
    }
    return outcome;
}

bool Bus::Connect() {
    if (!m_name.isEmpty()) {
        return true;
    }
    const QString name = NextConnectionName();
    if (!QDBusConnection::connectToBus(SystemBusAddress(), name).isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return false;
    }
    m_name = name;
    ++m_generation;
    return true;
}

void Bus::Drop() {
    if (!m_name.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_name);
        m_name.clear();
    }
}

}  // namespace ov::nm
