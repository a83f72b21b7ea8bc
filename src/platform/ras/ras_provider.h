#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras/call_rule.h"
#include "platform/ras/ras.h"

namespace ov {

/// One current connection as a provider reports it.
struct RasConnection {
    HRASCONN handle = 0;
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
    std::int32_t state = RASCS_OpenPort;
};

/// A connection as the service lists it, with whether the program counts it as a call.
struct ActiveConnection {
    RasConnection connection;
    std::string whyNot;  // empty: a call; otherwise the reason it is not one
};

struct RasDevice {
    std::string name;
    std::string type;
};

/// The properties of a phone-book entry that a dial-up service keeps: what RasApi moves in and
/// out of the 1768-byte RASENTRY record. Fields of the record not named here read back as zero.
struct RasEntryProperties {
    std::uint32_t options = 0;  // the RASEO_* bits
    std::uint32_t countryId = 0;
    std::uint32_t countryCode = 0;
    std::string areaCode;
    std::string phoneNumber;
    std::string deviceType;
    std::string deviceName;
    RASIPADDR ipAddress{};
    RASIPADDR dnsAddress{};
    RASIPADDR dnsAltAddress{};
    RASIPADDR winsAddress{};
    RASIPADDR winsAltAddress{};
    std::uint32_t netProtocols = 0;     // the RASNP_* bits
    std::uint32_t framingProtocol = 0;  // RASFP_*

    bool operator==(const RasEntryProperties&) const = default;
};

/// The phone-book functions a dial-up service may offer besides the connections: reading,
/// writing and deleting entries. A provider that has them returns itself (or a helper) from
/// RasProvider::PhoneBook(); RasApi then exports the four phone-book functions by name. Every
/// function returns 0 or a RAS error number; names compare without regard to case.
class RasPhoneBook {
public:
    virtual ~RasPhoneBook() = default;
    /// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY for an unknown entry.
    virtual std::uint32_t GetEntryProperties(const std::string& entry, RasEntryProperties& out) = 0;
    /// Replaces the properties of an entry, or makes a new entry with them.
    /// ERROR_INVALID_NAME for a name no entry may have, ERROR_DEVICE_DOES_NOT_EXIST for a
    /// device the service does not know.
    virtual std::uint32_t SetEntryProperties(const std::string& entry,
                                             const RasEntryProperties& properties) = 0;
    /// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY for an unknown entry.
    virtual std::uint32_t DeleteEntry(const std::string& entry) = 0;
    /// 0 when a new entry may take the name; ERROR_ALREADY_EXISTS when an entry has it,
    /// ERROR_INVALID_NAME when no entry may have it.
    virtual std::uint32_t ValidateEntryName(const std::string& entry) = 0;
};

/// The source of connections, devices and phone-book entries behind RasApi. Every function
/// returns 0 or a RAS error number. Implementations must be callable from any thread.
class RasProvider {
public:
    virtual ~RasProvider() = default;

    virtual std::uint32_t EnumConnections(std::vector<RasConnection>& out) = 0;
    /// The state of a current connection; ERROR_INVALID_HANDLE when it is not one.
    virtual std::uint32_t GetConnectState(HRASCONN handle, RasConnection& out) = 0;
    /// The user name of an entry's dial parameters; ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when
    /// there is no such entry.
    virtual std::uint32_t GetEntryUserName(const std::string& entry, std::string& userName) = 0;
    virtual std::uint32_t HangUp(HRASCONN handle) = 0;
    virtual std::uint32_t EnumDevices(std::vector<RasDevice>& out) = 0;
    virtual std::uint32_t EnumEntries(std::vector<std::string>& out) = 0;

    /// Which connections are calls. EnumConnections lists only those, only their handles can
    /// be asked about or hung up, and EnumEntries lists only entries whose connections may be
    /// calls. A provider that knows nothing but calls keeps the default, which ignores it.
    virtual void SetCallRule(const CallRule& /*rule*/) {}
    /// Every connection of the service, calls or not, each with the rule's verdict. By default
    /// the connections EnumConnections lists, all of them calls.
    virtual std::uint32_t EnumActiveConnections(std::vector<ActiveConnection>& out) {
        std::vector<RasConnection> connections;
        const std::uint32_t error = EnumConnections(connections);
        if (error == 0) {
            out.clear();
            for (auto& connection : connections) {
                out.push_back({std::move(connection), {}});
            }
        }
        return error;
    }

    /// The phone-book functions, when this service has them; none by default.
    virtual RasPhoneBook* PhoneBook() { return nullptr; }

    /// A short name for messages ("simulator", "NetworkManager").
    virtual std::string Name() const = 0;
};

}  // namespace ov
