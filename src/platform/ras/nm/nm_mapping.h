#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/call_rule.h"
#include "platform/ras/ras.h"
#include "platform/ras/ras_provider.h"

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

/// The monitor skips a cycle on it.
using ov::ERROR_RASMAN_CANNOT_INITIALIZE;

/// The RAS state of an active connection: its own state, refined while it is activating by the
/// state of its first device (none for a VPN without one). From the device's prepare state on
/// it is at authentication or past it, so the monitor tracks a dial attempt from the first
/// activating state it sees, and an attempt that fails before authentication is still a call.
std::int32_t RasStateOf(std::uint32_t activeState, std::optional<std::uint32_t> deviceState);

/// NetworkManager's metered values (NMMetered) of a device and of a profile's
/// `connection.metered`.
inline constexpr std::uint32_t kMeteredYes = 1;
inline constexpr std::uint32_t kMeteredGuessYes = 3;

/// Whether a device's `Metered` value says the link costs by use: yes or guess-yes.
bool IsMeteredDevice(std::uint32_t metered);

/// Whether a profile of that type dials up: mobile broadband, PPPoE, DSL, or Bluetooth with a
/// dial-up (`dun`) profile (`bluetoothType` is the profile's `bluetooth.type`).
bool IsDialUpKind(const std::string& profileType, const std::string& bluetoothType = {});

/// Whether a connection profile belongs in the entry list: a profile whose connections may be
/// calls by the rule. A VPN may be one whenever a link under it may be; a profile that says it
/// is metered (`connection.metered` yes) is one under the metered rule; loopback never is.
bool ProfileMayBeCall(const CallRule& rule, const std::string& id, const std::string& type,
                      const std::string& bluetoothType, std::optional<std::int32_t> metered);

/// How long after NetworkManager came back (a new owner of its bus name) a call it no longer
/// lists is kept, waiting for its profile to be active again: a restart re-creates the active
/// connections some time after it answers, at first with an empty list.
inline constexpr int kRestartGraceSeconds = 10;

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

// NetworkManager's device types and modem capabilities the phone book picks a profile type by.
inline constexpr std::uint32_t kDeviceTypeEthernet = 1;
inline constexpr std::uint32_t kDeviceTypeModem = 8;
inline constexpr std::uint32_t kDeviceTypeAdsl = 12;
inline constexpr std::uint32_t kModemCapabilityCdma = 0x2;
inline constexpr std::uint32_t kModemCapabilityGsm = 0x4;
inline constexpr std::uint32_t kModemCapabilityLte = 0x8;

// The network protocol and framing a phone-book entry reports for a profile.
inline constexpr std::uint32_t kRasNetProtocolIp = 4;  // RASNP_Ip
inline constexpr std::uint32_t kRasFramingPpp = 1;     // RASFP_Ppp

// Keys of the profile's `user.data` for what NetworkManager has no setting of its own for.
inline constexpr const char* kUserPhoneNumber = "org.orvanta.phone-number";
inline constexpr const char* kUserAreaCode = "org.orvanta.area-code";
inline constexpr const char* kUserCountryId = "org.orvanta.country-id";
inline constexpr const char* kUserCountryCode = "org.orvanta.country-code";
inline constexpr const char* kUserOptions = "org.orvanta.options";

/// One manual IPv4 address of a profile: the address as NetworkManager's `u` carries it (the
/// four bytes in address order in memory) and its prefix length.
struct Ipv4Address {
    std::uint32_t address = 0;
    std::uint32_t prefix = 32;
    bool operator==(const Ipv4Address&) const = default;
};

/// The settings of a connection profile that a phone-book entry reads and writes.
struct ProfileFields {
    std::string id = {};                            // connection.id
    std::string uuid = {};                          // connection.uuid
    std::string type = {};                          // connection.type
    std::optional<std::string> interfaceName = {};  // connection.interface-name; none: any device
    std::optional<std::string> cdmaNumber = {};     // cdma.number
    std::optional<std::string> gsmNumber = {};      // gsm.number, which only older profiles keep
    std::map<std::string, std::string> userData = {};  // user.data, other programs' keys included
    std::string ipv4Method = {};                       // ipv4.method; empty when not set
    std::vector<Ipv4Address> ipv4Addresses = {};       // ipv4.addresses / address-data
    std::vector<std::uint32_t> ipv4Dns = {};           // ipv4.dns, as NetworkManager's `u`
    bool ignoreAutoDns = false;                        // ipv4.ignore-auto-dns
    bool neverDefault = false;                         // ipv4.never-default
    bool noVjComp = false;                             // ppp.no-vj-comp
    bool noBsdComp = false;                            // ppp.nobsdcomp
    bool noDeflate = false;                            // ppp.nodeflate

    bool operator==(const ProfileFields&) const = default;
};

/// An entry's address as NetworkManager's `u` and back: the bytes keep their order in memory
/// ("network byte order"), whatever the machine's integer order.
std::uint32_t NmAddressOf(const RASIPADDR& address);
RASIPADDR RasAddressOf(std::uint32_t address);
/// "a.b.c.d" as NetworkManager's `u`; nothing for any other text.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text);
std::string DottedAddress(std::uint32_t address);

/// Whether a profile of that type dials with PPP, so that its `ppp` setting applies.
bool UsesPpp(const std::string& profileType);

/// The profile type a new entry on a device gets: "gsm" or "cdma" for a modem (by its
/// capabilities), "pppoe" for an Ethernet or DSL line; empty for a device nothing is dialed on.
std::string ProfileTypeForDevice(std::uint32_t deviceType, std::uint32_t modemCapabilities);

/// The entry properties a profile's settings give.
RasEntryProperties EntryPropertiesOf(const ProfileFields& profile);

/// Writes entry properties into a profile's settings, keeping what they do not cover.
void ApplyEntryProperties(const RasEntryProperties& properties, ProfileFields& profile);

/// The RAS error for a failed change of a profile, by the D-Bus error NetworkManager answered:
/// settings it refuses, no permission, or else the phone book could not be reached.
std::uint32_t PhoneBookErrorOf(std::string_view errorName);

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
    /// Points `handle` at another path (a connection back under a new path after a restart of
    /// NetworkManager); any other handle of that path is forgotten.
    void Rebind(HRASCONN handle, const std::string& path, const std::string& uuid);
    /// Forgets every handle whose path is not among `livePaths` (a complete enumeration).
    void Retain(const std::vector<std::string>& livePaths);
    std::size_t Size() const { return m_targets.size(); }

private:
    std::map<HRASCONN, Target> m_targets;
    HRASCONN m_next = 1;
};

}  // namespace ov::nm
