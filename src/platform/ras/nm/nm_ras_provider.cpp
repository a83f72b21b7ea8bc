#include "platform/ras/nm/nm_ras_provider.h"

#include <QDBusObjectPath>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>

#include "platform/ras/nm/nm_dbus.h"
#include "platform/ras/nm/nm_profile_fields.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"

namespace ov {

using nm::Bus;
using nm::Cast;
using nm::FieldsOf;
using nm::FlattenSettings;
using nm::kActiveIface;
using nm::kDeviceIface;
using nm::kManagerIface;
using nm::kManagerPath;
using nm::kModemIface;
using nm::kProfileIface;
using nm::kSettingsIface;
using nm::kSettingsPath;
using nm::OptionalText;
using nm::Outcome;
using nm::PathsOf;
using nm::RawSettings;
using nm::RegisterSettingsTypes;
using nm::Text;
using nm::Unwrapped;
using nm::WriteFields;

NmRasProvider::NmRasProvider() : m_bus(std::make_unique<Bus>()) {
    RegisterSettingsTypes();
}

NmRasProvider::~NmRasProvider() = default;

namespace {

/// One active connection as NetworkManager describes it.
struct ActiveInfo {
    RasConnection connection;
    std::string uuid;
    std::string type;  // the profile type ("gsm", "loopback", "vpn", …)
    QString profile;   // the profile's object path
    bool vpn = false;
    std::optional<std::uint32_t> deviceType;
    std::uint32_t deviceMetered = 0;  // the first device's Metered; 0: unknown
    QString deviceActive;             // the active connection of the first device (a VPN's link)
};

/// Reads an active connection and its first device.
Outcome ReadActive(auto& bus, const QString& path, ActiveInfo& out) {
    QVariantMap active;
    if (const Outcome o = bus.Properties(path, kActiveIface, active); o != Outcome::Ok) {
        return o;
    }
    out.uuid = Text(active.value(QStringLiteral("Uuid")));
    out.type = Text(active.value(QStringLiteral("Type")));
    out.profile =
        Unwrapped(active.value(QStringLiteral("Connection"))).value<QDBusObjectPath>().path();
    out.connection.entryName = Text(active.value(QStringLiteral("Id")));
    const std::uint32_t activeState = Unwrapped(active.value(QStringLiteral("State"))).toUInt();
    std::optional<std::uint32_t> deviceState;
    std::optional<std::uint32_t> deviceType;
    const auto devices = PathsOf(active.value(QStringLiteral("Devices")));
    // A VPN's device is the link it runs over, up long before the VPN is: its state says
    // nothing of the VPN's own progress.
    const bool vpn = Unwrapped(active.value(QStringLiteral("Vpn"))).toBool();
    if (!devices.empty()) {
        QVariantMap device;
        const Outcome o = bus.Properties(devices.front(), kDeviceIface, device);
        if (o == Outcome::Failed) {
            return o;
        }
        if (o == Outcome::Ok) {  // a device that has just gone counts as none
            out.connection.deviceName = Text(device.value(QStringLiteral("Interface")));
            deviceState = Unwrapped(device.value(QStringLiteral("State"))).toUInt();
            deviceType = Unwrapped(device.value(QStringLiteral("DeviceType"))).toUInt();
            out.deviceMetered = Unwrapped(device.value(QStringLiteral("Metered"))).toUInt();
            out.deviceActive = Unwrapped(device.value(QStringLiteral("ActiveConnection")))
                                   .value<QDBusObjectPath>()
                                   .path();
        }
    }
    out.vpn = vpn;
    out.deviceType = deviceType;
    out.connection.deviceType = nm::DeviceTypeText(out.type, deviceType);
    out.connection.state = nm::RasStateOf(activeState, vpn ? std::nullopt : deviceState);
    return Outcome::Ok;
}

/// What a profile says of itself that decides whether its connections are calls.
struct ProfileFacts {
    std::optional<std::int32_t> metered;  // connection.metered; none when unknown
    std::string bluetoothType;            // bluetooth.type
};

/// A profile's facts; a profile that has gone (or no profile) has none.
Outcome ReadProfileFacts(auto& bus, const QString& path, ProfileFacts& out) {
    out = {};
    if (path.isEmpty() || path == QLatin1String("/")) {
        return Outcome::Ok;
    }
    QVariantList reply;
    const Outcome o = bus.Call(path, kProfileIface, QStringLiteral("GetSettings"), {}, &reply);
    if (o != Outcome::Ok) {
        return o == Outcome::Vanished ? Outcome::Ok : o;
    }
    const auto raw = Cast<RawSettings>(reply.value(0));
    const QVariant metered =
        Unwrapped(raw.value(QStringLiteral("connection")).value(QStringLiteral("metered")));
    if (metered.isValid()) {
        out.metered = metered.toInt();
    }
    out.bluetoothType = OptionalText(raw, "bluetooth", "type").value_or(std::string());
    return Outcome::Ok;
}

/// Whether the connection is a call by the rule: empty `whyNot` when it is. A VPN is judged
/// by the link it runs over: its device's metering and the connection active on that device.
Outcome Judge(auto& bus, const ActiveInfo& info, const CallRule& rule, std::string& whyNot) {
    CallFacts facts;
    facts.loopback = info.type == "loopback" || info.deviceType == nm::kDeviceTypeLoopback;
    const bool needFacts =
        rule.kind == CallRule::Kind::Metered || rule.kind == CallRule::Kind::DialUp;
    if (!facts.loopback && needFacts) {
        facts.metered = nm::IsMeteredDevice(info.deviceMetered);
        facts.dialUp = !info.vpn && nm::IsDialUpKind(info.type);
        // The profile is asked only when it can change the verdict: it is polled often.
        const bool askProfile =
            info.vpn || info.type == "bluetooth" ||
            (rule.kind == CallRule::Kind::Metered && !facts.metered && !facts.dialUp);
        ProfileFacts own;
        if (askProfile) {
            if (const Outcome o = ReadProfileFacts(bus, info.profile, own); o != Outcome::Ok) {
                return o;
            }
        }
        facts.metered = facts.metered || own.metered == static_cast<std::int32_t>(nm::kMeteredYes);
        if (!info.vpn) {
            facts.dialUp = nm::IsDialUpKind(info.type, own.bluetoothType);
        } else if (!info.deviceActive.isEmpty() && info.deviceActive != QLatin1String("/")) {
            QVariantMap link;
            Outcome o = bus.Properties(info.deviceActive, kActiveIface, link);
            if (o == Outcome::Failed) {
                return o;
            }
            if (o == Outcome::Ok) {
                ProfileFacts linkProfile;
                o = ReadProfileFacts(bus,
                                     Unwrapped(link.value(QStringLiteral("Connection")))
                                         .value<QDBusObjectPath>()
                                         .path(),
                                     linkProfile);
                if (o != Outcome::Ok) {
                    return o;
                }
                facts.dialUp = nm::IsDialUpKind(Text(link.value(QStringLiteral("Type"))),
                                                linkProfile.bluetoothType);
                facts.metered = facts.metered ||
                                linkProfile.metered == static_cast<std::int32_t>(nm::kMeteredYes);
            }
        }
    }
    whyNot = WhyNotACall(rule, info.connection.entryName, facts);
    return Outcome::Ok;
}

/// Calls `visit(path, settings)` for each connection profile, in the order NetworkManager
/// lists them, until it returns true; profiles removed while reading are left out.
template <typename Visit>
Outcome ForEachProfile(auto& bus, Visit visit) {
    QVariantList reply;
    if (bus.Call(kSettingsPath, kSettingsIface, QStringLiteral("ListConnections"), {}, &reply) !=
        Outcome::Ok) {
        return Outcome::Failed;
    }
    for (const QString& path : PathsOf(reply.value(0))) {
        QVariantList settings;
        const Outcome o =
            bus.Call(path, kProfileIface, QStringLiteral("GetSettings"), {}, &settings);
        if (o == Outcome::Failed) {
            return o;
        }
        if (o == Outcome::Ok && visit(path, settings.value(0))) {
            break;
        }
    }
    return Outcome::Ok;
}

/// Every connection profile's settings; profiles removed while reading are left out.
Outcome ReadProfiles(auto& bus, std::vector<nm::FlatSettings>& out) {
    return ForEachProfile(bus, [&out](const QString&, const QVariant& settings) {
        out.push_back(FlattenSettings(settings));
        return false;
    });
}

}  // namespace

void NmRasProvider::SetCallRule(const CallRule& rule) {
    std::lock_guard lock(m_mutex);
    m_rule = rule;
}

std::uint32_t NmRasProvider::Walk(std::vector<ActiveConnection>& out) {
    QString owner;
    if (m_bus->Owner(owner) != Outcome::Ok) {
        return nm::ERROR_RASMAN_CANNOT_INITIALIZE;  // not on the bus: starting or gone
    }
    QVariant list;
    if (m_bus->Property(kManagerPath, kManagerIface, QStringLiteral("ActiveConnections"), list) !=
        Outcome::Ok) {
        return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
    }
    std::vector<ActiveConnection> connections;
    std::vector<Call> calls;
    std::vector<std::string> live;
    for (const QString& path : PathsOf(list)) {
        ActiveInfo info;
        Outcome o = ReadActive(*m_bus, path, info);
        std::string whyNot;
        if (o == Outcome::Ok) {
            o = Judge(*m_bus, info, m_rule, whyNot);
        }
        if (o == Outcome::Failed) {
            return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
        }
        if (o == Outcome::Vanished) {
            continue;  // ended between the list and the question
        }
        if (whyNot.empty()) {
            live.push_back(path.toStdString());
            info.connection.handle = m_handles.Acquire(live.back(), info.uuid);
            calls.push_back({info.connection, info.uuid, live.back()});
        }
        connections.push_back({std::move(info.connection), std::move(whyNot)});
    }

    // After a restart NetworkManager answers before it has made its active connections again,
    // each under a new path: a call of before is kept a while, and continues when its profile
    // is back, rather than ending and starting anew.
    const auto now = std::chrono::steady_clock::now();
    const std::string ownerName = owner.toStdString();
    const bool restarted = (!m_owner.empty() && ownerName != m_owner) ||
                           (m_generation != 0 && m_bus->Generation() != m_generation);
    const auto listed = [&calls](const std::string& uuid) {
        return std::find_if(calls.begin(), calls.end(),
                            [&uuid](const Call& c) { return c.uuid == uuid; });
    };
    if (restarted) {
        for (const Call& call : m_calls) {
            const bool held = std::any_of(m_held.begin(), m_held.end(), [&call](const Held& h) {
                return h.call.uuid == call.uuid;
            });
            if (!held && listed(call.uuid) == calls.end()) {
                m_held.push_back({call, now + std::chrono::seconds(nm::kRestartGraceSeconds)});
            }
        }
    }
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (const auto back = listed(it->call.uuid); back != calls.end()) {
            // Back under a new path: the same handle reaches it.
            m_handles.Rebind(it->call.connection.handle, back->path, back->uuid);
            for (auto& c : connections) {
                if (c.connection.handle == back->connection.handle) {
                    c.connection.handle = it->call.connection.handle;
                }
            }
            back->connection.handle = it->call.connection.handle;
            it = m_held.erase(it);
        } else if (now >= it->until) {
            it = m_held.erase(it);  // not back in time: the call has ended
        } else {
            connections.push_back({it->call.connection, {}});
            live.push_back(it->call.path);
            ++it;
        }
    }
    m_handles.Retain(live);
    for (const Held& h : m_held) {
        calls.push_back(h.call);
    }
    m_calls = std::move(calls);
    m_owner = ownerName;
    m_generation = m_bus->Generation();
    out = std::move(connections);
    return ERROR_SUCCESS;
}

std::uint32_t NmRasProvider::EnumConnections(std::vector<RasConnection>& out) {
    std::lock_guard lock(m_mutex);
    std::vector<ActiveConnection> all;
    if (const std::uint32_t error = Walk(all)) {
        return error;
    }
    out.clear();
    for (auto& c : all) {
        if (c.whyNot.empty()) {
            out.push_back(std::move(c.connection));
        }
    }
    return ERROR_SUCCESS;
}

std::uint32_t NmRasProvider::EnumActiveConnections(std::vector<ActiveConnection>& out) {
    std::lock_guard lock(m_mutex);
    return Walk(out);
}

const NmRasProvider::Held* NmRasProvider::FindHeld(HRASCONN handle) const {
    for (const Held& h : m_held) {
        if (h.call.connection.handle == handle) {
            return &h;
        }
    }
    return nullptr;
}

std::uint32_t NmRasProvider::GetConnectState(HRASCONN handle, RasConnection& out) {
    std::lock_guard lock(m_mutex);
    if (const Held* held = FindHeld(handle)) {
        out = held->call.connection;  // as last seen, until it is back or given up
        return ERROR_SUCCESS;
    }
    const auto target = m_handles.Find(handle);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    ActiveInfo info;
    switch (ReadActive(*m_bus, QString::fromStdString(target->path), info)) {
        case Outcome::Failed:
            return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
        case Outcome::Vanished:
            return ERROR_INVALID_HANDLE;
        case Outcome::Ok:
            break;
    }
    if (info.uuid != target->uuid) {
        return ERROR_INVALID_HANDLE;  // the path names a later activation
    }
    info.connection.handle = handle;
    out = std::move(info.connection);
    return ERROR_SUCCESS;
}

std::uint32_t NmRasProvider::GetEntryUserName(const std::string& entry, std::string& userName) {
    std::lock_guard lock(m_mutex);
    std::vector<nm::FlatSettings> profiles;
    if (ReadProfiles(*m_bus, profiles) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    for (const auto& profile : profiles) {
        if (const auto id = profile.find("connection.id");
            id != profile.end() && id->second == entry) {
            userName = nm::UserNameOf(profile);
            return ERROR_SUCCESS;
        }
    }
    return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

std::uint32_t NmRasProvider::HangUp(HRASCONN handle) {
    std::lock_guard lock(m_mutex);
    if (FindHeld(handle)) {
        return nm::ERROR_RASMAN_CANNOT_INITIALIZE;  // NetworkManager has not brought it back yet
    }
    const auto target = m_handles.Find(handle);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    const QString path = QString::fromStdString(target->path);
    QVariant uuid;
    switch (m_bus->Property(path, kActiveIface, QStringLiteral("Uuid"), uuid)) {
        case Outcome::Failed:
            return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
        case Outcome::Vanished:
            return ERROR_SUCCESS;  // already gone
        case Outcome::Ok:
            break;
    }
    if (Text(uuid) != target->uuid) {
        return ERROR_SUCCESS;  // ours is gone; the path names a later activation
    }
    QString errorName;
    const Outcome o =
        m_bus->Call(kManagerPath, kManagerIface, QStringLiteral("DeactivateConnection"),
                    {QVariant::fromValue(QDBusObjectPath(path))}, nullptr, &errorName);
    if (o != Outcome::Failed ||
        errorName == QLatin1String("org.freedesktop.NetworkManager.ConnectionNotActive")) {
        return ERROR_SUCCESS;
    }
    if (errorName == QLatin1String("org.freedesktop.NetworkManager.PermissionDenied")) {
        return ERROR_ACCESS_DENIED;
    }
    return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
}

std::uint32_t NmRasProvider::EnumDevices(std::vector<RasDevice>& out) {
    std::lock_guard lock(m_mutex);
    QVariantList reply;
    if (m_bus->Call(kManagerPath, kManagerIface, QStringLiteral("GetDevices"), {}, &reply) !=
        Outcome::Ok) {
        return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
    }
    std::vector<RasDevice> devices;
    for (const QString& path : PathsOf(reply.value(0))) {
        QVariantMap device;
        const Outcome o = m_bus->Properties(path, kDeviceIface, device);
        if (o == Outcome::Failed) {
            return nm::ERROR_RASMAN_CANNOT_INITIALIZE;
        }
        const std::uint32_t type = Unwrapped(device.value(QStringLiteral("DeviceType"))).toUInt();
        if (o == Outcome::Vanished || type == nm::kDeviceTypeLoopback) {
            continue;  // nothing to dial with
        }
        devices.push_back(
            {Text(device.value(QStringLiteral("Interface"))), nm::DeviceTypeText({}, type)});
    }
    out = std::move(devices);
    return ERROR_SUCCESS;
}

std::uint32_t NmRasProvider::EnumEntries(std::vector<std::string>& out) {
    std::lock_guard lock(m_mutex);
    std::vector<nm::FlatSettings> profiles;
    if (ReadProfiles(*m_bus, profiles) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    std::vector<std::string> names;
    for (const auto& profile : profiles) {
        const auto value = [&profile](const char* key) {
            const auto it = profile.find(key);
            return it == profile.end() ? std::string() : it->second;
        };
        const std::string id = value("connection.id");
        const std::string metered = value("connection.metered");
        const auto meteredValue = ParseInteger(metered);
        if (!id.empty() &&
            nm::ProfileMayBeCall(
                m_rule, id, value("connection.type"), value("bluetooth.type"),
                meteredValue ? std::optional<std::int32_t>(static_cast<std::int32_t>(*meteredValue))
                             : std::nullopt)) {
            names.push_back(id);
        }
    }
    out = std::move(names);
    return ERROR_SUCCESS;
}

namespace {

/// One profile: its object and its settings.
struct Profile {
    QString path;
    RawSettings settings;
};

/// The first profile whose `Id` is `name`, without regard to case; none when there is none.
Outcome FindProfile(auto& bus, const std::string& name, std::optional<Profile>& out) {
    out.reset();
    return ForEachProfile(bus, [&](const QString& path, const QVariant& settings) {
        RawSettings raw = Cast<RawSettings>(settings);
        const auto id = OptionalText(raw, "connection", "id");
        if (id && EqualsIgnoreCase(*id, name)) {
            out = Profile{path, std::move(raw)};
            return true;
        }
        return false;
    });
}

/// A device to dial on, by its interface name.
struct DialDevice {
    std::uint32_t type = 0;
    std::uint32_t modemCapabilities = 0;
};

Outcome FindDevice(auto& bus, const std::string& name, std::optional<DialDevice>& out) {
    out.reset();
    QVariantList reply;
    if (bus.Call(kManagerPath, kManagerIface, QStringLiteral("GetDevices"), {}, &reply) !=
        Outcome::Ok) {
        return Outcome::Failed;
    }
    for (const QString& path : PathsOf(reply.value(0))) {
        QVariantMap device;
        const Outcome o = bus.Properties(path, kDeviceIface, device);
        if (o == Outcome::Failed) {
            return o;
        }
        if (o == Outcome::Vanished || Text(device.value(QStringLiteral("Interface"))) != name) {
            continue;
        }
        DialDevice found;
        found.type = Unwrapped(device.value(QStringLiteral("DeviceType"))).toUInt();
        if (found.type == nm::kDeviceTypeModem) {
            QVariant capabilities;
            if (bus.Property(path, kModemIface, QStringLiteral("CurrentCapabilities"),
                             capabilities) == Outcome::Ok) {
                found.modemCapabilities = capabilities.toUInt();
            }
        }
        out = found;
        return Outcome::Ok;
    }
    return Outcome::Ok;
}

}  // namespace

std::uint32_t NmRasProvider::GetEntryProperties(const std::string& entry, RasEntryProperties& out) {
    std::lock_guard lock(m_mutex);
    std::optional<Profile> profile;
    if (FindProfile(*m_bus, entry, profile) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    if (!profile) {
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    }
    out = nm::EntryPropertiesOf(FieldsOf(profile->settings));
    return ERROR_SUCCESS;
}

std::uint32_t NmRasProvider::SetEntryProperties(const std::string& entry,
                                                const RasEntryProperties& properties) {
    std::lock_guard lock(m_mutex);
    std::optional<DialDevice> device;
    if (!properties.deviceName.empty()) {
        if (FindDevice(*m_bus, properties.deviceName, device) != Outcome::Ok) {
            return ERROR_CANNOT_OPEN_PHONEBOOK;
        }
        if (!device) {
            return ERROR_DEVICE_DOES_NOT_EXIST;
        }
    }
    std::optional<Profile> profile;
    if (FindProfile(*m_bus, entry, profile) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    QString errorName;
    Outcome outcome;
    if (profile) {
        // NetworkManager replaces the whole profile: send back everything read, changed.
        nm::ProfileFields fields = FieldsOf(profile->settings);
        nm::ApplyEntryProperties(properties, fields);
        WriteFields(fields, false, profile->settings);
        outcome = m_bus->Call(profile->path, kProfileIface, QStringLiteral("Update"),
                              {QVariant::fromValue(profile->settings)}, nullptr, &errorName);
        if (outcome == Outcome::Vanished) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;  // deleted meanwhile
        }
    } else {
        if (!IsValidRasEntryName(entry)) {
            return ERROR_INVALID_NAME;
        }
        nm::ProfileFields fields;
        fields.id = entry;
        fields.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
        // Without a device, a mobile-broadband profile: NetworkManager picks the modem.
        fields.type = device ? nm::ProfileTypeForDevice(device->type, device->modemCapabilities)
                             : std::string("gsm");
        if (fields.type.empty()) {
            return ERROR_DEVICE_DOES_NOT_EXIST;  // nothing is dialed on that device
        }
        if (fields.type == "pppoe") {
            // NetworkManager refuses a PPPoE profile without its user name, and a new entry
            // has no dial parameters to take one from.
            return ERROR_PPPOE_USER_NAME_MISSING;
        }
        nm::ApplyEntryProperties(properties, fields);
        RawSettings settings;
        WriteFields(fields, true, settings);
        outcome = m_bus->Call(kSettingsPath, kSettingsIface, QStringLiteral("AddConnection"),
                              {QVariant::fromValue(settings)}, nullptr, &errorName);
    }
    if (outcome == Outcome::Ok) {
        return ERROR_SUCCESS;
    }
    return nm::PhoneBookErrorOf(errorName.toStdString());
}

std::uint32_t NmRasProvider::DeleteEntry(const std::string& entry) {
    std::lock_guard lock(m_mutex);
    std::optional<Profile> profile;
    if (FindProfile(*m_bus, entry, profile) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    if (!profile) {
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    }
    QString errorName;
    switch (m_bus->Call(profile->path, kProfileIface, QStringLiteral("Delete"), {}, nullptr,
                        &errorName)) {
        case Outcome::Ok:
            return ERROR_SUCCESS;
        case Outcome::Vanished:
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        case Outcome::Failed:
            break;
    }
    return nm::PhoneBookErrorOf(errorName.toStdString());
}

std::uint32_t NmRasProvider::ValidateEntryName(const std::string& entry) {
    if (!IsValidRasEntryName(entry)) {
        return ERROR_INVALID_NAME;
    }
    std::lock_guard lock(m_mutex);
    std::vector<nm::FlatSettings> profiles;
    if (ReadProfiles(*m_bus, profiles) != Outcome::Ok) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    for (const auto& profile : profiles) {
        if (const auto id = profile.find("connection.id");
            id != profile.end() && EqualsIgnoreCase(id->second, entry)) {
            return ERROR_ALREADY_EXISTS;
        }
    }
    return ERROR_SUCCESS;
}

bool NetworkManagerOnSystemBus() {
    return nm::ServiceOnSystemBus();
}

void RegisterNetworkManagerProvider() {
    RegisterNetworkManagerBackend({
        NetworkManagerOnSystemBus,
        [](std::string*) -> std::unique_ptr<RasProvider> {
            return std::make_unique<NmRasProvider>();
        },
    });
}

}  // namespace ov
