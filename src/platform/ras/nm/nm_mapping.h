#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ras/ras.h"

namespace ov::nm {

// NetworkManager's numbers, as its D-Bus interface reports them.
enum class ActiveState : std::uint32_t {
    Unknown = 0,
    Activating = 1,
    Activated = 2,
    Deactivating = 3,
    Deactivated = 4,
};

inline constexpr std::uint32_t kDevicePrepare = 40;
inline constexpr std::uint32_t kDeviceConfig = 50;
inline constexpr std::uint32_t kDeviceNeedAuth = 60;
inline constexpr std::uint32_t kDeviceIpConfig = 70;

inline constexpr std::uint32_t kDeviceTypeLoopback = 32;

// RAS connection states between opening the port and authentication that the mapping reports.
inline constexpr std::int32_t RASCS_ConnectDevice = 2;
inline constexpr std::int32_t RASCS_Authenticated = 14;

/// The RAS error for "the dial-up service cannot be reached": the bus or NetworkManager is
/// gone, or a call timed out. The monitor skips a cycle on it.
inline constexpr std::uint32_t ERROR_RASMAN_CANNOT_INITIALIZE = 711;

/// The RAS state of an active connection: its own state, refined while it is activating by the
/// state of its first device (none for a VPN without one).
std::int32_t RasStateOf(std::uint32_t activeState, std::optional<std::uint32_t> deviceState);

/// The short device type text of a connection: from the profile type where it says what kind of
/// link it is ("modem", "pppoe", "vpn", …), otherwise from NetworkManager's device type; empty
/// when neither is known.
std::string DeviceTypeText(const std::string& connectionType,
                           std::optional<std::uint32_t> deviceType);

/// A profile's settings with every text value flattened to "group.key" (and a text map such as
/// the VPN data to "group.key.name").
using FlatSettings = std::map<std::string, std::string>;

/// The user name a profile dials with: `<type>.username`, the VPN's `user-name` or its data's
/// user, or the 802.1X identity; empty when the profile has none.
std::string UserNameOf(const FlatSettings& settings);

/// Maps active-connection object paths to small non-zero handles. A path that NetworkManager
/// hands out again for another activation (another UUID) gets a new handle, so a stale handle
/// never reaches a different connection.
class HandleTable {
public:
    struct Target {
        std::string path;
        std::string uuid;
    };

    /// The handle of a path and UUID, made on first sight.
    HRASCONN Acquire(const std::string& path, const std::string& uuid);
    std::optional<Target> Find(HRASCONN handle) const;
    /// Forgets every handle whose path is not among `livePaths` (a complete enumeration).
    void Retain(const std::vector<std::string>& livePaths);
    std::size_t Size() const { return m_targets.size(); }

private:
    std::map<HRASCONN, Target> m_targets;
    HRASCONN m_next = 1;
};

}  // namespace ov::nm
