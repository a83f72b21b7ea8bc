#include "platform/ras/ras.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/ras/ras_provider.h"

namespace ov {

namespace {

/// The buffer rule shared by the enumerations: the caller's first record carries the record
/// size; too little room gives 603 with what is needed.
template <typename Record, typename Item, typename Fill>
std::uint32_t FillRecords(Record* buffer, std::uint32_t* byteCount, std::uint32_t* count,
                          const std::vector<Item>& items, Fill fill) {
    if (!byteCount || !count) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!buffer || buffer->dwSize != sizeof(Record)) {
        if (buffer || *byteCount != 0) {
            return ERROR_INVALID_SIZE;
        }
    }
    const auto needed = static_cast<std::uint32_t>(items.size() * sizeof(Record));
    if (*byteCount < needed || (!buffer && !items.empty())) {
        *byteCount = needed;
        *count = static_cast<std::uint32_t>(items.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        Record& record = buffer[i];
        record = Record{};
        record.dwSize = sizeof(Record);
        fill(record, items[i]);
    }
    *byteCount = needed;
    *count = static_cast<std::uint32_t>(items.size());
    return ERROR_SUCCESS;
}

/// A fixed character field read back: up to its first zero, never past its end.
template <std::size_t N>
std::string RasText(const char (&field)[N]) {
    return std::string(field, ::strnlen(field, N));
}

/// Only the default phone book exists; a path naming another cannot be opened.
bool IsDefaultPhoneBook(const char* phoneBook) {
    return phoneBook == nullptr || phoneBook[0] == '\0';
}

constexpr std::array<std::string_view, 6> kConnectionFunctions{
    "RasEnumConnectionsA", "RasGetConnectStatusA", "RasGetEntryDialParamsA",
    "RasHangUpA",          "RasEnumDevicesA",      "RasEnumEntriesA",
};
constexpr std::array<std::string_view, 4> kPhoneBookFunctions{
    "RasGetEntryPropertiesA",
    "RasSetEntryPropertiesA",
    "RasDeleteEntryA",
    "RasValidateEntryNameA",
};

}  // namespace

bool IsValidRasEntryName(std::string_view name) {
    if (name.empty() || name.size() > RAS_MaxEntryName || name.front() == '.') {
        return false;
    }
    const auto bad = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\\'; };
    if (std::any_of(name.begin(), name.end(), bad)) {
        return false;
    }
    return name.find_first_not_of(" \t") != std::string_view::npos;
}

std::string RasErrorText(std::uint32_t error) {
    switch (error) {
        case ERROR_SUCCESS:
            return "success";
        case ERROR_INVALID_HANDLE:
            return "no such connection";
        case ERROR_INVALID_PARAMETER:
            return "invalid parameter";
        case ERROR_CALL_NOT_IMPLEMENTED:
            return "not supported by this dial-up service";
        case ERROR_ALREADY_EXISTS:
            return "already exists";
        case ERROR_PORT_ALREADY_OPEN:
            return "the entry is already connected";
        case ERROR_BUFFER_TOO_SMALL:
            return "buffer too small";
        case ERROR_CANNOT_OPEN_PHONEBOOK:
            return "the phone book cannot be opened";
        case ERROR_CANNOT_FIND_PHONEBOOK_ENTRY:
            return "no such phone-book entry";
        case ERROR_INVALID_SIZE:
            return "invalid record size";
        case ERROR_DEVICE_DOES_NOT_EXIST:
            return "no such device";
        case ERROR_NO_CONNECTION:
            return "the connection is down";
        case ERROR_INVALID_NAME:
            return "invalid name";
        case ERROR_ACCESS_DENIED:
            return "permission denied";
        case ERROR_RASMAN_CANNOT_INITIALIZE:
            return "the dial-up service cannot be reached";
        case ERROR_PPPOE_USER_NAME_MISSING:
            return "a PPPoE entry needs a user name (pppoe.username), and a new entry has none";
        default:
            return "error " + std::to_string(error);
    }
}

std::uint32_t RasApi::RasEnumConnectionsA(RASCONN* buffer, std::uint32_t* byteCount,
                                          std::uint32_t* connectionCount) {
    std::vector<RasConnection> connections;
    if (const std::uint32_t error = m_provider.EnumConnections(connections)) {
        return error;
    }
    return FillRecords(buffer, byteCount, connectionCount, connections,
                       [](RASCONN& record, const RasConnection& c) {
                           record.hrasconn = c.handle;
                           CopyRasText(record.szEntryName, c.entryName);
                           CopyRasText(record.szDeviceType, c.deviceType);
                           CopyRasText(record.szDeviceName, c.deviceName);
                       });
}

std::uint32_t RasApi::RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUS* status) {
    if (!status) {
        return ERROR_INVALID_PARAMETER;
    }
    if (status->dwSize != sizeof(RASCONNSTATUS)) {
        return ERROR_INVALID_SIZE;
    }
    RasConnection c;
    if (const std::uint32_t error = m_provider.GetConnectState(connection, c)) {
        return error;
    }
    status->rasconnstate = c.state;
    status->dwError = 0;
    CopyRasText(status->szDeviceType, c.deviceType);
    CopyRasText(status->szDeviceName, c.deviceName);
    return ERROR_SUCCESS;
}

std::uint32_t RasApi::RasGetEntryDialParamsA(const char* /*phoneBook*/, RASDIALPARAMS* params,
                                             int* passwordSaved) {
    if (!params) {
        return ERROR_INVALID_PARAMETER;
    }
    if (params->dwSize != sizeof(RASDIALPARAMS)) {
        return ERROR_INVALID_SIZE;
    }
    params->szEntryName[RAS_MaxEntryName] = '\0';
    std::string user;
    if (const std::uint32_t error = m_provider.GetEntryUserName(params->szEntryName, user)) {
        return error;
    }
    CopyRasText(params->szUserName, user);
    // Passwords stay with the dial-up service; the program never needs them.
    params->szPassword[0] = '\0';
    if (passwordSaved) {
        *passwordSaved = 0;
    }
    return ERROR_SUCCESS;
}

std::uint32_t RasApi::RasHangUpA(HRASCONN connection) {
    return m_provider.HangUp(connection);
}

std::uint32_t RasApi::RasEnumDevicesA(RASDEVINFO* buffer, std::uint32_t* byteCount,
                                      std::uint32_t* deviceCount) {
    std::vector<RasDevice> devices;
    if (const std::uint32_t error = m_provider.EnumDevices(devices)) {
        return error;
    }
    return FillRecords(buffer, byteCount, deviceCount, devices,
                       [](RASDEVINFO& record, const RasDevice& d) {
                           CopyRasText(record.szDeviceType, d.type);
                           CopyRasText(record.szDeviceName, d.name);
                       });
}

std::uint32_t RasApi::RasEnumEntriesA(const char* /*reserved*/, const char* /*phoneBook*/,
                                      RASENTRYNAME* buffer, std::uint32_t* byteCount,
                                      std::uint32_t* entryCount) {
    std::vector<std::string> entries;
    if (const std::uint32_t error = m_provider.EnumEntries(entries)) {
        return error;
    }
    return FillRecords(buffer, byteCount, entryCount, entries,
                       [](RASENTRYNAME& record, const std::string& name) {
                           CopyRasText(record.szEntryName, name);
                       });
}

std::uint32_t RasApi::RasGetEntryPropertiesA(const char* phoneBook, const char* entryName,
                                             RASENTRY* entry, std::uint32_t* entryInfoSize,
                                             std::uint8_t* /*deviceInfo*/,
                                             std::uint32_t* deviceInfoSize) {
    RasPhoneBook* book = m_provider.PhoneBook();
    if (!book) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    if (!entryInfoSize) {
        return ERROR_INVALID_PARAMETER;
    }
    if (deviceInfoSize) {
        *deviceInfoSize = 0;
    }
    if (!entry || *entryInfoSize < sizeof(RASENTRY)) {
        *entryInfoSize = sizeof(RASENTRY);
        return ERROR_BUFFER_TOO_SMALL;
    }
    if (entry->dwSize != sizeof(RASENTRY)) {
        return ERROR_INVALID_SIZE;
    }
    if (!IsDefaultPhoneBook(phoneBook)) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    RasEntryProperties p;
    if (entryName && entryName[0] != '\0') {
        if (const std::uint32_t error = book->GetEntryProperties(entryName, p)) {
            return error;
        }
    }
    *entry = RASENTRY{};
    entry->dwSize = sizeof(RASENTRY);
    entry->dwfOptions = p.options;
    entry->dwCountryID = p.countryId;
    entry->dwCountryCode = p.countryCode;
    CopyRasText(entry->szAreaCode, p.areaCode);
    CopyRasText(entry->szLocalPhoneNumber, p.phoneNumber);
    entry->ipaddr = p.ipAddress;
    entry->ipaddrDns = p.dnsAddress;
    entry->ipaddrDnsAlt = p.dnsAltAddress;
    entry->ipaddrWins = p.winsAddress;
    entry->ipaddrWinsAlt = p.winsAltAddress;
    entry->dwfNetProtocols = p.netProtocols;
    entry->dwFramingProtocol = p.framingProtocol;
    CopyRasText(entry->szDeviceType, p.deviceType);
    CopyRasText(entry->szDeviceName, p.deviceName);
    *entryInfoSize = sizeof(RASENTRY);
    return ERROR_SUCCESS;
}

std::uint32_t RasApi::RasSetEntryPropertiesA(const char* phoneBook, const char* entryName,
                                             const RASENTRY* entry, std::uint32_t entryInfoSize,
                                             const std::uint8_t* /*deviceInfo*/,
                                             std::uint32_t /*deviceInfoSize*/) {
    RasPhoneBook* book = m_provider.PhoneBook();
    if (!book) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    if (!entry || !entryName) {
        return ERROR_INVALID_PARAMETER;
    }
    if (entry->dwSize != sizeof(RASENTRY) || entryInfoSize < sizeof(RASENTRY)) {
        return ERROR_INVALID_SIZE;
    }
    if (!IsDefaultPhoneBook(phoneBook)) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    RasEntryProperties p;
    p.options = entry->dwfOptions;
    p.countryId = entry->dwCountryID;
    p.countryCode = entry->dwCountryCode;
    p.areaCode = RasText(entry->szAreaCode);
    p.phoneNumber = RasText(entry->szLocalPhoneNumber);
    p.ipAddress = entry->ipaddr;
    p.dnsAddress = entry->ipaddrDns;
    p.dnsAltAddress = entry->ipaddrDnsAlt;
    p.winsAddress = entry->ipaddrWins;
    p.winsAltAddress = entry->ipaddrWinsAlt;
    p.netProtocols = entry->dwfNetProtocols;
    p.framingProtocol = entry->dwFramingProtocol;
    p.deviceType = RasText(entry->szDeviceType);
    p.deviceName = RasText(entry->szDeviceName);
    return book->SetEntryProperties(entryName, p);
}

std::uint32_t RasApi::RasDeleteEntryA(const char* phoneBook, const char* entryName) {
    RasPhoneBook* book = m_provider.PhoneBook();
    if (!book) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    if (!entryName) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!IsDefaultPhoneBook(phoneBook)) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    return book->DeleteEntry(entryName);
}

std::uint32_t RasApi::RasValidateEntryNameA(const char* phoneBook, const char* entryName) {
    RasPhoneBook* book = m_provider.PhoneBook();
    if (!book) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    if (!entryName) {
        return ERROR_INVALID_NAME;
    }
    if (!IsDefaultPhoneBook(phoneBook)) {
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    return book->ValidateEntryName(entryName);
}

bool RasApi::Exports(std::string_view functionName) const {
    const auto has = [&](const auto& names) {
        return std::find(names.begin(), names.end(), functionName) != names.end();
    };
    if (has(kConnectionFunctions)) {
        return true;
    }
    return has(kPhoneBookFunctions) && m_provider.PhoneBook() != nullptr;
}

}  // namespace ov
