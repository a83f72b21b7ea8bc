#include "platform/ras/nm/nm_mapping.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

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
    if (*deviceState <= kDevicePrepare) {
        return RASCS_OpenPort;
    }
    if (*deviceState < kDeviceNeedAuth) {
        return RASCS_ConnectDevice;
    }
    if (*deviceState < kDeviceIpConfig) {
        return RASCS_Authenticate;
    }
    return RASCS_Authenticated;
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
    static constexpr std::array<std::pair<std::uint32_t, std::string_view>, 16> kByDevice{{
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

void HandleTable::Retain(const std::vector<std::string>& livePaths) {
    std::erase_if(m_targets, [&livePaths](const auto& entry) {
        return std::find(livePaths.begin(), livePaths.end(), entry.second.path) == livePaths.end();
    });
}

}  // namespace ov::nm
