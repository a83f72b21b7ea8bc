#include "platform/ras/nm/nm_profile_fields.h"

#include <QDBusMetaType>
#include <mutex>

#include "platform/ras/nm/nm_dbus.h"

namespace ov::nm {

namespace {

using AddressList = QList<QList<uint>>;  // aau
using TextMap = QMap<QString, QString>;  // a{ss}

bool Flag(const RawSettings& raw, const char* group, const char* key) {
    return Unwrapped(raw.value(QLatin1String(group)).value(QLatin1String(key))).toBool();
}

}  // namespace

void RegisterSettingsTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<RawSettings>();
        qDBusRegisterMetaType<AddressList>();
        qDBusRegisterMetaType<QList<QVariantMap>>();
        qDBusRegisterMetaType<TextMap>();
    });
}

FlatSettings FlattenSettings(const QVariant& raw) {
    FlatSettings flat;
    const QVariant value = Unwrapped(raw);
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) {
        return flat;
    }
    const auto argument = value.value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QString group;
        QVariantMap values;
        argument.beginMapEntry();
        argument >> group >> values;
        argument.endMapEntry();
        const std::string prefix = group.toStdString() + ".";
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const QVariant& v = it.value();
            const std::string key = prefix + it.key().toStdString();
            if (v.metaType() == QMetaType::fromType<QString>()) {
                flat[key] = Text(v);
            } else if (v.metaType() == QMetaType::fromType<int>()) {
                flat[key] = std::to_string(v.toInt());  // connection.metered
            } else if (v.metaType() == QMetaType::fromType<QDBusArgument>()) {
                const auto inner = v.value<QDBusArgument>();
                if (inner.currentSignature() == QLatin1String("a{ss}")) {
                    const auto map = qdbus_cast<QMap<QString, QString>>(inner);
                    for (auto m = map.cbegin(); m != map.cend(); ++m) {
                        flat[key + "." + m.key().toStdString()] = m.value().toStdString();
                    }
                }
            }
        }
    }
    argument.endMap();
    return flat;
}

std::optional<std::string> OptionalText(const RawSettings& raw, const char* group,
                                        const char* key) {
    const QVariantMap values = raw.value(QLatin1String(group));
    const auto it = values.find(QLatin1String(key));
    if (it == values.end()) {
        return std::nullopt;
    }
    return Text(Unwrapped(it.value()));
}

ProfileFields FieldsOf(const RawSettings& raw) {
    ProfileFields f;
    f.id = OptionalText(raw, "connection", "id").value_or(std::string());
    f.uuid = OptionalText(raw, "connection", "uuid").value_or(std::string());
    f.type = OptionalText(raw, "connection", "type").value_or(std::string());
    f.interfaceName = OptionalText(raw, "connection", "interface-name");
    if (f.interfaceName && f.interfaceName->empty()) {
        f.interfaceName.reset();
    }
    f.cdmaNumber = OptionalText(raw, "cdma", "number");
    f.gsmNumber = OptionalText(raw, "gsm", "number");
    const QVariantMap user = raw.value(QStringLiteral("user"));
    if (user.contains(QStringLiteral("data"))) {
        const auto data = Cast<TextMap>(user.value(QStringLiteral("data")));
        for (auto it = data.cbegin(); it != data.cend(); ++it) {
            f.userData[it.key().toStdString()] = it.value().toStdString();
        }
    }
    const QVariantMap ipv4 = raw.value(QStringLiteral("ipv4"));
    f.ipv4Method = OptionalText(raw, "ipv4", "method").value_or(std::string());
    // address-data is what NetworkManager reads when both are there.
    if (ipv4.contains(QStringLiteral("address-data"))) {
        for (const QVariantMap& item :
             Cast<QList<QVariantMap>>(ipv4.value(QStringLiteral("address-data")))) {
            const auto address =
                ParseDottedAddress(Text(Unwrapped(item.value(QStringLiteral("address")))));
            if (address) {
                f.ipv4Addresses.push_back(
                    {*address, Unwrapped(item.value(QStringLiteral("prefix"))).toUInt()});
            }
        }
    } else if (ipv4.contains(QStringLiteral("addresses"))) {
        for (const QList<uint>& item : Cast<AddressList>(ipv4.value(QStringLiteral("addresses")))) {
            if (item.size() >= 2) {
                f.ipv4Addresses.push_back({item[0], item[1]});
            }
        }
    }
    if (ipv4.contains(QStringLiteral("dns"))) {
        for (const uint server : Cast<QList<uint>>(ipv4.value(QStringLiteral("dns")))) {
            f.ipv4Dns.push_back(server);
        }
    }
    f.ignoreAutoDns = Flag(raw, "ipv4", "ignore-auto-dns");
    f.neverDefault = Flag(raw, "ipv4", "never-default");
    f.noVjComp = Flag(raw, "ppp", "no-vj-comp");
    f.noBsdComp = Flag(raw, "ppp", "nobsdcomp");
    f.noDeflate = Flag(raw, "ppp", "nodeflate");
    return f;
}

void WriteFields(const ProfileFields& f, bool isNew, RawSettings& raw) {
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    QVariantMap& connection = raw[QStringLiteral("connection")];
    if (isNew) {
        connection[QStringLiteral("id")] = text(f.id);
        connection[QStringLiteral("uuid")] = text(f.uuid);
        connection[QStringLiteral("type")] = text(f.type);
        // An entry is dialed when the user chooses to, never on its own.
        connection[QStringLiteral("autoconnect")] = false;
        raw[text(f.type)];  // the type's own setting, NetworkManager's defaults in it
    }
    if (f.interfaceName) {
        connection[QStringLiteral("interface-name")] = text(*f.interfaceName);
    } else {
        connection.remove(QStringLiteral("interface-name"));
    }
    if (f.cdmaNumber) {
        raw[QStringLiteral("cdma")][QStringLiteral("number")] = text(*f.cdmaNumber);
    }
    if (f.gsmNumber) {
        raw[QStringLiteral("gsm")][QStringLiteral("number")] = text(*f.gsmNumber);
    }
    if (!f.userData.empty() || raw.contains(QStringLiteral("user"))) {
        TextMap data;
        for (const auto& [key, value] : f.userData) {
            data.insert(text(key), text(value));
        }
        raw[QStringLiteral("user")][QStringLiteral("data")] = QVariant::fromValue(data);
    }

    QVariantMap& ipv4 = raw[QStringLiteral("ipv4")];
    ipv4[QStringLiteral("method")] = text(f.ipv4Method);
    AddressList addresses;
    QList<QVariantMap> addressData;
    for (const Ipv4Address& a : f.ipv4Addresses) {
        addresses.push_back({a.address, a.prefix, 0u});
        addressData.push_back({{QStringLiteral("address"), text(DottedAddress(a.address))},
                               {QStringLiteral("prefix"), a.prefix}});
    }
    // Both forms, so that neither an older nor a newer NetworkManager reads a stale one.
    ipv4[QStringLiteral("addresses")] = QVariant::fromValue(addresses);
    ipv4[QStringLiteral("address-data")] = QVariant::fromValue(addressData);
    if (f.ipv4Addresses.empty()) {
        ipv4.remove(QStringLiteral("gateway"));  // refused without an address
    }
    QList<uint> dns(f.ipv4Dns.begin(), f.ipv4Dns.end());
    ipv4[QStringLiteral("dns")] = QVariant::fromValue(dns);
    ipv4.remove(QStringLiteral("dns-data"));  // newer servers prefer it to `dns`
    ipv4[QStringLiteral("ignore-auto-dns")] = f.ignoreAutoDns;
    ipv4[QStringLiteral("never-default")] = f.neverDefault;

    if (UsesPpp(f.type)) {
        QVariantMap& ppp = raw[QStringLiteral("ppp")];
        ppp[QStringLiteral("no-vj-comp")] = f.noVjComp;
        ppp[QStringLiteral("nobsdcomp")] = f.noBsdComp;
        ppp[QStringLiteral("nodeflate")] = f.noDeflate;
    }
}

}  // namespace ov::nm
