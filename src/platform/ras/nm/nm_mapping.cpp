#include "platform/ras/nm/nm_mapping.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/text_util.h"

namespace ov::nm {

std::int32_t RasStateOf(std::uint32_t activeState, std::optional<std::uint32_t> deviceState) {
    switch (static_cast<ActiveState>(activeState)) {
        case ActiveState::Activated:
            return RASCS_Connected;
        case ActiveState::Activating:
            break;
        default:
            return RASCS_Disconnected;
    }
    if (!deviceState) {
        // A VPN has no device of its own: once it is listed it is negotiating its login.
        return RASCS_Authenticate;
    }
    if (*deviceState < kDevicePrepare) {
        return RASCS_OpenPort;  // the device has not begun: nothing is being dialed yet
    }
    if (*deviceState < kDeviceIpConfig) {
        return RASCS_Authenticate;
    }
    return RASCS_Authenticated;
}

bool IsMeteredDevice(std::uint32_t metered) {
    return metered == kMeteredYes || metered == kMeteredGuessYes;
}

bool IsDialUpKind(const std::string& profileType, const std::string& bluetoothType) {
    if (profileType == "bluetooth") {
        return bluetoothType == "dun";
    }
    return profileType == "gsm" || profileType == "cdma" || profileType == "pppoe" ||
           profileType == "adsl";
}

bool ProfileMayBeCall(const CallRule& rule, const std::string& id, const std::string& type,
                      const std::string& bluetoothType, std::optional<std::int32_t> metered) {
    CallFacts facts;
    facts.loopback = type == "loopback";
    facts.dialUp = IsDialUpKind(type, bluetoothType);
    facts.metered = metered && *metered == static_cast<std::int32_t>(kMeteredYes);
    if (type == "vpn" || type == "wireguard") {
        facts.dialUp = facts.metered = true;  // it depends on the link it will run over
    }
    return WhyNotACall(rule, id, facts).empty();
}

std::string DeviceTypeText(const std::string& connectionType,
                           std::optional<std::uint32_t> deviceType) {
    // Every text fits the 16 characters of a RAS device type.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kByConnection{{
        {"gsm", "modem"},
        {"cdma", "modem"},
        {"bluetooth", "modem"},
        {"pppoe", "pppoe"},
        {"adsl", "adsl"},
        {"vpn", "vpn"},
        {"wireguard", "vpn"},
        {"802-3-ethernet", "ethernet"},
        {"802-11-wireless", "wifi"},
        {"wimax", "wimax"},
        {"infiniband", "infiniband"},
        {"olpc-mesh", "wifi"},
    }};
    for (const auto& [type, text] : kByConnection) {
        if (connectionType == type) {
            return std::string(text);
        }
    }
    if (!deviceType) {
        return {};
    }
    static constexpr std::array<std::pair<std::uint32_t, std::string_view>, 17> kByDevice{{
        {1, "ethernet"},
        {2, "wifi"},
        {5, "modem"},  // Bluetooth
        {7, "wimax"},
        {8, "modem"},
        {9, "infiniband"},
        {10, "bond"},
        {11, "vlan"},
        {12, "adsl"},
        {13, "bridge"},
        {15, "team"},
        {16, "tun"},
        {17, "ip-tunnel"},
        {23, "ppp"},
        {29, "vpn"},  // WireGuard
        {30, "wifi"},
        {kDeviceTypeLoopback, "loopback"},
    }};
    for (const auto& [type, text] : kByDevice) {
        if (*deviceType == type) {
            return std::string(text);
        }
    }
    return "generic";
}

std::string UserNameOf(const FlatSettings& settings) {
    const auto value = [&settings](const std::string& key) -> std::string {
        const auto it = settings.find(key);
        return it == settings.end() ? std::string() : it->second;
    };
    const std::string type = value("connection.type");
    // A Bluetooth dial-up profile keeps its login in the gsm or cdma group.
    const std::array<std::string, 9> candidates{
        type + ".username", "gsm.username",  "cdma.username",     "pppoe.username",
        "vpn.user-name",    "vpn.data.user", "vpn.data.username", "vpn.data.Xauth username",
        "802-1x.identity",
    };
    for (const auto& key : candidates) {
        if (std::string name = value(key); !name.empty()) {
            return name;
        }
    }
    return {};
}

std::uint32_t NmAddressOf(const RASIPADDR& address) {
    const std::uint8_t bytes[4] = {address.a, address.b, address.c, address.d};
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

RASIPADDR RasAddressOf(std::uint32_t address) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    std::uint8_t bytes[4];
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') {
                return std::nullopt;
            }
            ++p;
        }
        unsigned part = 0;
        const auto [next, error] = std::from_chars(p, end, part);
        if (error != std::errc() || next == p || next - p > 3 || part > 255) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::uint8_t>(part);
        p = next;
    }
    if (p != end) {
        return std::nullopt;
    }
    return NmAddressOf({bytes[0], bytes[1], bytes[2], bytes[3]});
}

std::string DottedAddress(std::uint32_t address) {
    const RASIPADDR a = RasAddressOf(address);
    return std::to_string(a.a) + "." + std::to_string(a.b) + "." + std::to_string(a.c) + "." +
           std::to_string(a.d);
}

bool UsesPpp(const std::string& profileType) {
    return profileType == "gsm" || profileType == "cdma" || profileType == "pppoe" ||
           profileType == "bluetooth" || profileType == "adsl";
}

std::string ProfileTypeForDevice(std::uint32_t deviceType, std::uint32_t modemCapabilities) {
    switch (deviceType) {
        case kDeviceTypeModem: {
            // A modem that speaks CDMA only; any GSM or LTE modem dials as GSM.
            const bool gsm = (modemCapabilities & (kModemCapabilityGsm | kModemCapabilityLte)) != 0;
            return (modemCapabilities & kModemCapabilityCdma) != 0 && !gsm ? "cdma" : "gsm";
        }
        case kDeviceTypeEthernet:
        case kDeviceTypeAdsl:
            return "pppoe";
        default:
            return {};
    }
}

namespace {

/// The option bits a profile of that type holds in settings of NetworkManager's own.
std::uint32_t OptionsInSettings(const std::string& profileType) {
    std::uint32_t bits =
        RASEO_SpecificIpAddr | RASEO_SpecificNameServers | RASEO_RemoteDefaultGateway;
    if (UsesPpp(profileType)) {
        bits |= RASEO_IpHeaderCompression | RASEO_SwCompression;
    }
    return bits;
}

std::uint32_t UserNumber(const std::map<std::string, std::string>& data, const char* key) {
    const auto it = data.find(key);
    if (it == data.end()) {
        return 0;
    }
    const auto value = ParseInteger(it->second);
    return value && *value >= 0 && *value <= 0xffffffffLL ? static_cast<std::uint32_t>(*value) : 0;
}

/// Sets a user-data key, or removes it for an empty text: the data stays free of our empty keys.
void SetUserText(std::map<std::string, std::string>& data, const char* key, std::string text) {
    if (text.empty()) {
        data.erase(key);
    } else {
        data[key] = std::move(text);
    }
}

void SetUserNumber(std::map<std::string, std::string>& data, const char* key, std::uint32_t value) {
    SetUserText(data, key, value == 0 ? std::string() : std::to_string(value));
}

}  // namespace

RasEntryProperties EntryPropertiesOf(const ProfileFields& profile) {
    RasEntryProperties p;
    const auto user = [&profile](const char* key) {
        const auto it = profile.userData.find(key);
        return it == profile.userData.end() ? std::string() : it->second;
    };
    p.options = UserNumber(profile.userData, kUserOptions) & ~OptionsInSettings(profile.type);
    const bool manual = profile.ipv4Method == "manual" && !profile.ipv4Addresses.empty();
    if (manual) {
        p.options |= RASEO_SpecificIpAddr;
        p.ipAddress = RasAddressOf(profile.ipv4Addresses.front().address);
    }
    if (!profile.ipv4Dns.empty()) {
        p.options |= RASEO_SpecificNameServers;
        p.dnsAddress = RasAddressOf(profile.ipv4Dns[0]);
        if (profile.ipv4Dns.size() > 1) {
            p.dnsAltAddress = RasAddressOf(profile.ipv4Dns[1]);
        }
    }
    if (!profile.neverDefault) {
        p.options |= RASEO_RemoteDefaultGateway;
    }
    if (UsesPpp(profile.type)) {
        if (!profile.noVjComp) {
            p.options |= RASEO_IpHeaderCompression;
        }
        if (!profile.noBsdComp || !profile.noDeflate) {
            p.options |= RASEO_SwCompression;
        }
        p.framingProtocol = kRasFramingPpp;
    }
    p.countryId = UserNumber(profile.userData, kUserCountryId);
    p.countryCode = UserNumber(profile.userData, kUserCountryCode);
    p.areaCode = user(kUserAreaCode);
    if (profile.cdmaNumber) {
        p.phoneNumber = *profile.cdmaNumber;
    } else if (profile.gsmNumber) {
        p.phoneNumber = *profile.gsmNumber;
    } else {
        p.phoneNumber = user(kUserPhoneNumber);
    }
    p.deviceType = DeviceTypeText(profile.type, std::nullopt);
    p.deviceName = profile.interfaceName.value_or(std::string());
    if (profile.ipv4Method != "disabled") {
        p.netProtocols = kRasNetProtocolIp;
    }
    return p;
}

void ApplyEntryProperties(const RasEntryProperties& properties, ProfileFields& profile) {
    const std::uint32_t options = properties.options;
    auto& data = profile.userData;

    // The number goes where the modem dials it from; other profiles keep it as user data.
    if (profile.cdmaNumber || profile.type == "cdma") {
        profile.cdmaNumber = properties.phoneNumber;
        data.erase(kUserPhoneNumber);
    } else if (profile.gsmNumber) {
        profile.gsmNumber = properties.phoneNumber;
        data.erase(kUserPhoneNumber);
    } else {
        SetUserText(data, kUserPhoneNumber, properties.phoneNumber);
    }
    SetUserText(data, kUserAreaCode, properties.areaCode);
    SetUserNumber(data, kUserCountryId, properties.countryId);
    SetUserNumber(data, kUserCountryCode, properties.countryCode);
    SetUserNumber(data, kUserOptions, options & ~OptionsInSettings(profile.type));

    if (properties.deviceName.empty()) {
        profile.interfaceName.reset();
    } else {
        profile.interfaceName = properties.deviceName;
    }

    // A manual method needs an address: 0.0.0.0 asks for none, so the server assigns one.
    const std::uint32_t address = NmAddressOf(properties.ipAddress);
    if ((options & RASEO_SpecificIpAddr) != 0 && address != 0) {
        profile.ipv4Method = "manual";
        // The entry holds the first address only: the same address keeps its prefix, a new
        // one is a host address, as PPP gives; further addresses stay.
        if (profile.ipv4Addresses.empty()) {
            profile.ipv4Addresses.push_back({address, 32});
        } else if (profile.ipv4Addresses.front().address != address) {
            profile.ipv4Addresses.front() = {address, 32};
        }
    } else {
        if (profile.ipv4Method.empty() || profile.ipv4Method == "manual") {
            profile.ipv4Method = "auto";
        }
        profile.ipv4Addresses.clear();
    }

    profile.ipv4Dns.clear();
    if ((options & RASEO_SpecificNameServers) != 0) {
        for (const RASIPADDR& server : {properties.dnsAddress, properties.dnsAltAddress}) {
            if (const std::uint32_t value = NmAddressOf(server); value != 0) {
                profile.ipv4Dns.push_back(value);
            }
        }
    }
    profile.ignoreAutoDns = !profile.ipv4Dns.empty();
    profile.neverDefault = (options & RASEO_RemoteDefaultGateway) == 0;

    if (UsesPpp(profile.type)) {
        profile.noVjComp = (options & RASEO_IpHeaderCompression) == 0;
        profile.noBsdComp = (options & RASEO_SwCompression) == 0;
        profile.noDeflate = profile.noBsdComp;
    }
}

std::uint32_t PhoneBookErrorOf(std::string_view errorName) {
    constexpr std::string_view kSettings = "org.freedesktop.NetworkManager.Settings.";
    constexpr std::string_view kConnection = "org.freedesktop.NetworkManager.Settings.Connection.";
    const auto is = [errorName](std::string_view prefix, std::string_view name) {
        return errorName.size() == prefix.size() + name.size() &&
               errorName.substr(0, prefix.size()) == prefix &&
               errorName.substr(prefix.size()) == name;
    };
    if (is(kSettings, "PermissionDenied") || is(kSettings, "ReadOnlyConnection") ||
        is(kConnection, "PermissionDenied") ||
        errorName == "org.freedesktop.NetworkManager.PermissionDenied") {
        return ERROR_ACCESS_DENIED;
    }
    // Every error about the settings themselves: a missing or bad setting or property.
    if (errorName.substr(0, kConnection.size()) == kConnection ||
        is(kSettings, "InvalidConnection") || is(kSettings, "InvalidArguments") ||
        is(kSettings, "NotSupported") || is(kSettings, "UuidExists") ||
        errorName == "org.freedesktop.DBus.Error.InvalidArgs") {
        return ERROR_INVALID_PARAMETER;
    }
    return ERROR_CANNOT_OPEN_PHONEBOOK;
}

HRASCONN HandleTable::Acquire(const std::string& path, const std::string& uuid) {
    for (auto it = m_targets.begin(); it != m_targets.end(); ++it) {
        if (it->second.path == path) {
            if (it->second.uuid == uuid) {
                return it->first;
            }
            m_targets.erase(it);  // the path now names another activation
            break;
        }
    }
    // Skip 0 (no connection) and handles still in use after the counter wraps.
    while (m_next == 0 || m_targets.count(m_next) != 0) {
        ++m_next;
    }
    const HRASCONN handle = m_next++;
    m_targets.emplace(handle, Target{path, uuid});
    return handle;
}

std::optional<HandleTable::Target> HandleTable::Find(HRASCONN handle) const {
    const auto it = m_targets.find(handle);
    if (it == m_targets.end()) {
        return std::nullopt;
    }
    return it->second;
}

void HandleTable::Rebind(HRASCONN handle, const std::string& path, const std::string& uuid) {
    std::erase_if(m_targets, [&](const auto& entry) {
        return entry.first != handle && entry.second.path == path;
    });
    m_targets[handle] = Target{path, uuid};
}

void HandleTable::Retain(const std::vector<std::string>& livePaths) {
    std::erase_if(m_targets, [&livePaths](const auto& entry) {
        return std::find(livePaths.begin(), livePaths.end(), entry.second.path) == livePaths.end();
    });
}

}  // namespace ov::nm
