#include "platform/ras/ras.h"

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

}  // namespace

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

}  // namespace ov
