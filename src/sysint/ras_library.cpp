#include "sysint/ras_library.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "launcher/platform_kind.h"
#include "platform/registry/system_keys.h"
#include "platform/text_util.h"

namespace ov {

namespace {

constexpr const char* kConnectionEditor = "nm-connection-editor";
constexpr const char* kConnectionEditorVariable = "ORVANTA_CONNECTION_EDITOR";

/// How often an enumeration is asked again when the list grew between the size query and
/// the fill.
constexpr int kEnumerationTries = 4;

/// The two-step enumeration of the RAS functions: ask for the size and count, then fill a
/// buffer whose first record carries the record size. Nothing when the service reports none
/// or fails.
template <typename Record, typename Call>
std::optional<std::vector<Record>> Enumerate(Call call, std::uint32_t firstRoom) {
    std::uint32_t room = firstRoom;
    for (int attempt = 0; attempt < kEnumerationTries; ++attempt) {
        std::vector<Record> records(room);
        if (!records.empty()) {
            records[0].dwSize = sizeof(Record);
        }
        std::uint32_t bytes = static_cast<std::uint32_t>(records.size() * sizeof(Record));
        std::uint32_t count = 0;
        const std::uint32_t error =
            call(records.empty() ? nullptr : records.data(), &bytes, &count);
        if (error == ERROR_SUCCESS) {
            records.resize(count);
            return records;
        }
        if (error != ERROR_BUFFER_TOO_SMALL || count == 0) {
            return std::nullopt;
        }
        room = count;
    }
    return std::nullopt;
}

/// A program found as the launcher needs it: a full path. Empty when it is not installed.
std::string ResolveProgram(const std::string& program) {
    if (program.find('/') == std::string::npos) {
        return FindInSearchPath(program);
    }
    return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
}

}  // namespace

ControlPanelTools ControlPanelTools::Default() {
    const char* chosen = std::getenv(kConnectionEditorVariable);
    const std::string editor = chosen && *chosen ? chosen : kConnectionEditor;
    return {
        {editor, {"--create", "--type=gsm"}},
        {editor, {}},
        {editor, {"--create"}},
    };
}

RasLibrary::RasLibrary(RasApi* api) : m_api(api) {}

RasLibrary::~RasLibrary() {
    m_entries.clear();  // before anything else goes: each entry stores its texts
    Unload();
}

void RasLibrary::Unload() {
    m_loaded = false;
    m_getEntryProperties = nullptr;
    m_setEntryProperties = nullptr;
    m_validateEntryName = nullptr;
    m_deleteEntry = nullptr;
    m_enumDevices = nullptr;
    m_enumEntries = nullptr;
    m_enumConnections = nullptr;
}

template <typename Fn>
Fn RasLibrary::Lookup(const char* name, Fn function) const {
    return m_api && m_api->Exports(name) ? function : nullptr;
}

bool RasLibrary::LoadForWin9x() {
    // The shell namespace folder of Dial-Up Networking exists on Windows 95/98 only.
    m_status = kRasNoDialUpFolder;
    return false;
}

bool RasLibrary::LoadForNT() {
    m_status = kRasReady;
    Unload();
    if (!m_api) {
        m_status = kRasNoLibrary;
        return false;
    }
    m_loaded = true;
    // TCP/IP is part of every system this runs on: nothing to check.
    m_getEntryProperties = Lookup("RasGetEntryPropertiesA", &RasApi::RasGetEntryPropertiesA);
    if (!m_getEntryProperties) {
        m_status = kRasNoLibrary;
        return false;
    }
    m_validateEntryName = Lookup("RasValidateEntryNameA", &RasApi::RasValidateEntryNameA);
    m_setEntryProperties = Lookup("RasSetEntryPropertiesA", &RasApi::RasSetEntryPropertiesA);
    m_deleteEntry = Lookup("RasDeleteEntryA", &RasApi::RasDeleteEntryA);
    m_enumDevices = Lookup("RasEnumDevicesA", &RasApi::RasEnumDevicesA);
    m_enumEntries = Lookup("RasEnumEntriesA", &RasApi::RasEnumEntriesA);
    m_enumConnections = Lookup("RasEnumConnectionsA", &RasApi::RasEnumConnectionsA);
    if (EnumDevices()) {
        EnumEntries();
    } else {
        m_status = kRasNoDevice;
    }
    return m_status == kRasReady;
}

bool RasLibrary::Load() {
    switch (GetPlatformKind()) {
        case PlatformKind::Windows9x:
            return LoadForWin9x();
        case PlatformKind::WindowsNT:
        case PlatformKind::Linux:
            return LoadForNT();
        default:
            return false;
    }
}

bool RasLibrary::EnumDevices() {
    m_deviceNames.clear();
    m_deviceTypes.clear();
    if (!m_api || !m_enumDevices) {
        return false;
    }
    const auto devices = Enumerate<RASDEVINFO>(
        [&](RASDEVINFO* buffer, std::uint32_t* bytes, std::uint32_t* count) {
            return (m_api->*m_enumDevices)(buffer, bytes, count);
        },
        0);
    if (!devices || devices->empty()) {
        return false;
    }
    for (const auto& device : *devices) {
        m_deviceNames.emplace_back(device.szDeviceName);
        m_deviceTypes.emplace_back(device.szDeviceType);
    }
    return true;
}

bool RasLibrary::EnumEntries() {
    m_entries.clear();
    if (!m_api) {
        return false;
    }
    // The directly imported function when none was looked up.
    const EnumEntriesFn enumEntries = m_enumEntries ? m_enumEntries : &RasApi::RasEnumEntriesA;
    const auto names = Enumerate<RASENTRYNAME>(
        [&](RASENTRYNAME* buffer, std::uint32_t* bytes, std::uint32_t* count) {
            return (m_api->*enumEntries)(nullptr, nullptr, buffer, bytes, count);
        },
        0);
    if (!names || names->empty()) {
        return false;
    }
    for (const auto& name : *names) {
        m_entries.push_back(std::make_unique<PhoneBookEntry>(name.szEntryName));
    }
    return true;
}

bool RasLibrary::RefreshConnections() {
    if (!m_api) {
        return false;
    }
    const EnumConnectionsFn enumConnections =
        m_enumConnections ? m_enumConnections : &RasApi::RasEnumConnectionsA;
    const auto connections = Enumerate<RASCONN>(
        [&](RASCONN* buffer, std::uint32_t* bytes, std::uint32_t* count) {
            return (m_api->*enumConnections)(buffer, bytes, count);
        },
        1);
    if (!connections) {
        return false;
    }
    std::vector<const PhoneBookEntry*> connected;
    for (const auto& connection : *connections) {
        PhoneBookEntry* entry = FindEntry(connection.szEntryName);
        if (!entry) {
            entry = m_entries.emplace_back(std::make_unique<PhoneBookEntry>(connection.szEntryName))
                        .get();
        }
        entry->SetConnection(connection.hrasconn);
        connected.push_back(entry);
    }
    // A handle of a connection that has ended would only bring questions about it.
    for (const auto& entry : m_entries) {
        if (std::find(connected.begin(), connected.end(), entry.get()) == connected.end()) {
            entry->SetConnection(0);
        }
    }
    return true;
}

PhoneBookEntry* RasLibrary::FindEntry(const std::string& name) {
    for (const auto& entry : m_entries) {
        if (EqualsIgnoreCase(entry->Name(), name)) {
            if (entry->Properties().dwSize == 0) {
                entry->Properties().dwSize = sizeof(RASENTRY);
                GetEntryProperties(entry->Name(), entry->Properties());
            }
            return entry.get();
        }
    }
    return nullptr;
}

bool RasLibrary::EntryExists(const std::string& name) const {
    for (const auto& entry : m_entries) {
        if (EqualsIgnoreCase(entry->Name(), name)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> RasLibrary::EntryNames() const {
    std::vector<std::string> names;
    for (const auto& entry : m_entries) {
        names.push_back(entry->Name());
    }
    return names;
}

bool RasLibrary::IsNewEntryName(const std::string& name) {
    return m_api && m_validateEntryName &&
           (m_api->*m_validateEntryName)(nullptr, name.c_str()) == ERROR_SUCCESS;
}

bool RasLibrary::SetProperties(const std::string& name, RASENTRY& properties) {
    properties.dwSize = sizeof(RASENTRY);
    return m_api && m_setEntryProperties &&
           (m_api->*m_setEntryProperties)(nullptr, name.c_str(), &properties, sizeof(RASENTRY),
                                          nullptr, 0) == ERROR_SUCCESS;
}

bool RasLibrary::CreateEntry(const std::string& name, RASENTRY& properties) {
    if (!IsNewEntryName(name) || !SetProperties(name, properties)) {
        return false;
    }
    EnumEntries();
    return true;
}

bool RasLibrary::UpdateEntry(const std::string& name, RASENTRY& properties) {
    return EntryExists(name) && SetProperties(name, properties);
}

bool RasLibrary::GetEntryProperties(const std::string& name, RASENTRY& out) {
    out.dwSize = sizeof(RASENTRY);
    std::uint32_t size = sizeof(RASENTRY);
    return m_api && m_getEntryProperties &&
           (m_api->*m_getEntryProperties)(nullptr, name.c_str(), &out, &size, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

bool RasLibrary::DeleteEntry(const std::string& name) {
    return EntryExists(name) && m_api && m_deleteEntry &&
           (m_api->*m_deleteEntry)(nullptr, name.c_str()) == ERROR_SUCCESS;
}

std::unique_ptr<ProgramLauncher> RasLibrary::StartTool(const SystemTool& tool,
                                                       MessageWindow* notifyWindow,
                                                       int notifyCommand) {
    const std::string program = ResolveProgram(tool.program);
    if (program.empty()) {
        return nullptr;  // the desktop has no such tool: the command offers nothing
    }
    return std::make_unique<ProgramLauncher>(notifyWindow, program, notifyCommand,
                                             /*closeOnDestroy=*/true, kShowDefault, tool.arguments);
}

std::unique_ptr<ProgramLauncher> RasLibrary::AddModem(MessageWindow* notifyWindow,
                                                      int notifyCommand) {
    return StartTool(m_tools.addModem, notifyWindow, notifyCommand);
}

std::unique_ptr<ProgramLauncher> RasLibrary::InstallNetworking(MessageWindow* notifyWindow,
                                                               int notifyCommand) {
    return StartTool(m_tools.installNetworking, notifyWindow, notifyCommand);
}

std::unique_ptr<ProgramLauncher> RasLibrary::AddNetworkComponent(MessageWindow* notifyWindow,
                                                                 int notifyCommand) {
    return StartTool(m_tools.addNetworkComponent, notifyWindow, notifyCommand);
}

}  // namespace ov
