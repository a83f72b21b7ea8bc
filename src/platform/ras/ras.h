#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_error.h"

namespace ov {

class RasProvider;

/// A connection handle. Providers hand out small non-zero numbers; 0 means no connection.
using HRASCONN = std::uint32_t;

// The RAS records in their version-4 layouts; the size field a caller sets picks the layout.
inline constexpr std::uint32_t RAS_MaxEntryName = 256;
inline constexpr std::uint32_t RAS_MaxDeviceType = 16;
inline constexpr std::uint32_t RAS_MaxDeviceName = 128;
inline constexpr std::uint32_t RAS_MaxPhoneNumber = 128;
inline constexpr std::uint32_t RAS_MaxCallbackNumber = 128;
inline constexpr std::uint32_t RAS_MaxAreaCode = 10;
inline constexpr std::uint32_t RAS_MaxPadType = 32;
inline constexpr std::uint32_t RAS_MaxX25Address = 200;
inline constexpr std::uint32_t RAS_MaxFacilities = 200;
inline constexpr std::uint32_t RAS_MaxUserData = 200;
inline constexpr std::uint32_t UNLEN = 256;
inline constexpr std::uint32_t PWLEN = 256;
inline constexpr std::uint32_t DNLEN = 15;
inline constexpr std::uint32_t MAX_PATH = 260;

struct RASCONN {
    std::uint32_t dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};

struct RASCONNSTATUS {
    std::uint32_t dwSize;
    std::int32_t rasconnstate;
    std::uint32_t dwError;
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};

struct RASDIALPARAMS {
    std::uint32_t dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
    char szPhoneNumber[RAS_MaxPhoneNumber + 1];
    char szCallbackNumber[RAS_MaxCallbackNumber + 1];
    char szUserName[UNLEN + 1];
    char szPassword[PWLEN + 1];
    char szDomain[DNLEN + 1];
};

struct RASDEVINFO {
    std::uint32_t dwSize;
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};

struct RASENTRYNAME {
    std::uint32_t dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
};

/// An IPv4 address as the phone book stores it: a, b, c, d in address order.
struct RASIPADDR {
    std::uint8_t a, b, c, d;
    bool operator==(const RASIPADDR&) const = default;
};

struct RASENTRY {
    std::uint32_t dwSize;
    std::uint32_t dwfOptions;
    std::uint32_t dwCountryID;
    std::uint32_t dwCountryCode;
    char szAreaCode[RAS_MaxAreaCode + 1];
    char szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    std::uint32_t dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    std::uint32_t dwFrameSize;
    std::uint32_t dwfNetProtocols;
    std::uint32_t dwFramingProtocol;
    char szScript[MAX_PATH];
    char szAutodialDll[MAX_PATH];
    char szAutodialFunc[MAX_PATH];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
    char szX25PadType[RAS_MaxPadType + 1];
    char szX25Address[RAS_MaxX25Address + 1];
    char szX25Facilities[RAS_MaxFacilities + 1];
    char szX25UserData[RAS_MaxUserData + 1];
    std::uint32_t dwChannels;
    std::uint32_t dwReserved1;
    std::uint32_t dwReserved2;
};

static_assert(sizeof(RASCONN) == 412);
static_assert(sizeof(RASCONNSTATUS) == 160);
static_assert(sizeof(RASDIALPARAMS) == 1052);
static_assert(sizeof(RASDEVINFO) == 152);
static_assert(sizeof(RASENTRYNAME) == 264);
static_assert(sizeof(RASENTRY) == 1768);

// Connection states (RASCONNSTATE) the program looks at.
inline constexpr std::int32_t RASCS_OpenPort = 0;
inline constexpr std::int32_t RASCS_Authenticate = 5;
inline constexpr std::int32_t RASCS_Connected = 0x2000;     // 8192
inline constexpr std::int32_t RASCS_Disconnected = 0x2001;  // 8193

// Error numbers of the RAS functions (the general ones are in win_error.h).
inline constexpr std::uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr std::uint32_t ERROR_PORT_ALREADY_OPEN = 602;
inline constexpr std::uint32_t ERROR_BUFFER_TOO_SMALL = 603;
inline constexpr std::uint32_t ERROR_CANNOT_OPEN_PHONEBOOK = 621;
inline constexpr std::uint32_t ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623;
inline constexpr std::uint32_t ERROR_INVALID_SIZE = 632;
inline constexpr std::uint32_t ERROR_DEVICE_DOES_NOT_EXIST = 657;
inline constexpr std::uint32_t ERROR_NO_CONNECTION = 668;
inline constexpr std::uint32_t ERROR_INVALID_NAME = 123;
/// The dial-up service cannot be reached: the bus or NetworkManager is gone, or a call timed out.
inline constexpr std::uint32_t ERROR_RASMAN_CANNOT_INITIALIZE = 711;
/// Our own number (bit 29 marks numbers no system uses): a PPPoE entry needs the user name its
/// service requires (`pppoe.username`), and a new entry has none to give.
inline constexpr std::uint32_t ERROR_PPPOE_USER_NAME_MISSING = 0x20000001;

// Options of a phone-book entry (RASENTRY::dwfOptions) the program sets or shows.
inline constexpr std::uint32_t RASEO_UseCountryAndAreaCodes = 0x00000001;
inline constexpr std::uint32_t RASEO_SpecificIpAddr = 0x00000002;
inline constexpr std::uint32_t RASEO_SpecificNameServers = 0x00000004;
inline constexpr std::uint32_t RASEO_IpHeaderCompression = 0x00000008;
inline constexpr std::uint32_t RASEO_RemoteDefaultGateway = 0x00000010;
inline constexpr std::uint32_t RASEO_SwCompression = 0x00000200;
inline constexpr std::uint32_t RASEO_ModemLights = 0x00000100;

/// Whether `name` may name a phone-book entry: 1 to 256 characters, at least one of them not
/// blank, no control character, no backslash (the name is a registry key name too), and not
/// beginning with a period.
bool IsValidRasEntryName(std::string_view name);

/// A short English text for a RAS error number, for the command-line companion's messages.
std::string RasErrorText(std::uint32_t error);

/// The RAS functions the program calls, with the platform's signatures and buffer rules, over
/// a provider that knows the connections (NetworkManager or the simulator).
class RasApi {
public:
    explicit RasApi(RasProvider& provider) : m_provider(provider) {}

    /// 0 and the connections; 603 with the needed byte count and number of connections when
    /// the buffer is too small; 632 when the first record's dwSize is not 412.
    std::uint32_t RasEnumConnectionsA(RASCONN* buffer, std::uint32_t* byteCount,
                                      std::uint32_t* connectionCount);
    /// 0 and the state; 6 for a handle that is not a current connection.
    std::uint32_t RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUS* status);
    /// 0 and the user name stored for `szEntryName`; 623 for an unknown entry.
    std::uint32_t RasGetEntryDialParamsA(const char* phoneBook, RASDIALPARAMS* params,
                                         int* passwordSaved);
    /// Ends the connection; 6 for an unknown handle.
    std::uint32_t RasHangUpA(HRASCONN connection);
    /// As RasEnumConnectionsA, with records of 152 bytes.
    std::uint32_t RasEnumDevicesA(RASDEVINFO* buffer, std::uint32_t* byteCount,
                                  std::uint32_t* deviceCount);
    /// As RasEnumConnectionsA, with records of 264 bytes.
    std::uint32_t RasEnumEntriesA(const char* reserved, const char* phoneBook, RASENTRYNAME* buffer,
                                  std::uint32_t* byteCount, std::uint32_t* entryCount);

    // The phone-book functions. Only the default phone book exists: any other path gives 621.
    // They need a provider with a phone book (RasProvider::PhoneBook()); without one they give
    // ERROR_CALL_NOT_IMPLEMENTED, and Exports() does not name them.

    /// The entry's properties into `entry`, whose dwSize must be 1768. `*entryInfoSize` is the
    /// room in bytes; with no record or too little room: 603 and the needed size. An empty
    /// name gives the default properties (all zero). No device information is kept:
    /// `*deviceInfoSize`, when given, becomes 0.
    std::uint32_t RasGetEntryPropertiesA(const char* phoneBook, const char* entryName,
                                         RASENTRY* entry, std::uint32_t* entryInfoSize,
                                         std::uint8_t* deviceInfo, std::uint32_t* deviceInfoSize);
    /// Writes the entry, making it when it does not exist; dwSize and `entryInfoSize` must be
    /// 1768 (else 632). Device information is not kept.
    std::uint32_t RasSetEntryPropertiesA(const char* phoneBook, const char* entryName,
                                         const RASENTRY* entry, std::uint32_t entryInfoSize,
                                         const std::uint8_t* deviceInfo,
                                         std::uint32_t deviceInfoSize);
    /// Removes the entry; 623 for an unknown one.
    std::uint32_t RasDeleteEntryA(const char* phoneBook, const char* entryName);
    /// 0 when a new entry may take the name, 183 when an entry has it, 123 for a name no entry
    /// may have.
    std::uint32_t RasValidateEntryNameA(const char* phoneBook, const char* entryName);

    /// Whether a function of this name can be called here, as a run-time lookup by name finds
    /// it: the connection functions always, the phone-book ones only over a provider with a
    /// phone book. Names are the ANSI ones ("RasGetEntryPropertiesA").
    bool Exports(std::string_view functionName) const;

    RasProvider& Provider() const { return m_provider; }

private:
    RasProvider& m_provider;
};

/// Copies `text` into a fixed character field, cut to fit and always terminated.
template <std::size_t N>
void CopyRasText(char (&field)[N], std::string_view text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = '\0';
}

}  // namespace ov
