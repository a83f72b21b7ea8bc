#pragma once

#include <QDBusArgument>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

// The D-Bus side of the NetworkManager provider: its names, a private system-bus connection
// that comes back after the bus has gone away, and reading the values of its replies.
namespace ov::nm {

inline const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString kManagerIface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString kProfileIface =
    QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString kActiveIface =
    QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString kModemIface = QStringLiteral("org.freedesktop.NetworkManager.Device.Modem");
inline const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");

/// How a call went: the object asked about is not there (any more), or the service or the bus
/// did not answer.
enum class Outcome { Ok, Vanished, Failed };

/// Whether a D-Bus error name says the object asked about is not there (any more).
bool IsVanished(const QString& errorName);
std::string Text(const QVariant& value);
/// Unwraps a variant that may still hold the D-Bus variant or argument it arrived in.
QVariant Unwrapped(QVariant value);
std::vector<QString> PathsOf(const QVariant& raw);
QVariantMap MapOf(const QVariant& raw);

/// A value of a received message as a Qt type: QtDBus leaves containers as a QDBusArgument.
/// Reading a QDBusArgument uses it up: every value read here is written anew before an update.
template <typename T>
T Cast(const QVariant& raw) {
    const QVariant value = Unwrapped(raw);
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        return qdbus_cast<T>(value.value<QDBusArgument>());
    }
    return value.value<T>();
}

/// Whether NetworkManager's name has an owner on the system bus, asked on a connection of its own.
bool ServiceOnSystemBus();

/// The private system-bus connection, made again after the bus has gone away. Calls block for
/// at most 2 s.
class Bus {
public:
    Bus() = default;
    ~Bus();
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    /// Calls a method of NetworkManager; the reply's arguments in `reply`.
    Outcome Call(const QString& path, const QString& iface, const QString& method,
                 const QVariantList& args, QVariantList* reply = nullptr,
                 QString* errorName = nullptr);
    /// The unique name that owns NetworkManager's name now: another one after a restart.
    Outcome Owner(QString& out);
    /// How many times a connection to the bus has been made: a new one may reach a new bus.
    unsigned Generation() const { return m_generation; }
    /// All properties of one interface of an object.
    Outcome Properties(const QString& path, const QString& iface, QVariantMap& out);
    Outcome Property(const QString& path, const QString& iface, const QString& name, QVariant& out);

private:
    Outcome CallOn(const QString& service, const QString& path, const QString& iface,
                   const QString& method, const QVariantList& args, QVariantList* reply,
                   QString* errorName);
    bool Connect();
    void Drop();

    QString m_name;  // empty while not connected
    unsigned m_generation = 0;
};

}  // namespace ov::nm
