#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "launcher/program_launcher.h"
#include "platform/ras/ras.h"
#include "settings/phone_book_lists.h"
#include "sysint/phone_book_entry.h"

namespace ov {

// What Status() reports.
inline constexpr int kRasReady = 0;
inline constexpr int kRasNoLibrary = 1;       // no RAS functions, or no RasGetEntryProperties
inline constexpr int kRasNoDialUpFolder = 2;  // Windows 95/98 only
inline constexpr int kRasNoTcpIp = 3;
inline constexpr int kRasNoDevice = 4;

// The notify commands the options page gives the control-panel tools.
inline constexpr int kAddModemDone = 34768;
inline constexpr int kInstallNetworkingDone = 34769;
inline constexpr int kAddNetworkComponentDone = 34770;

/// A system tool the control-panel commands start: a program (a name looked for in PATH, or a
/// path) and its arguments.
struct SystemTool {
    std::string program;
    std::vector<std::string> arguments;
};

/// The tools behind AddModem, InstallNetworking and AddNetworkComponent.
struct ControlPanelTools {
    SystemTool addModem;
    SystemTool installNetworking;
    SystemTool addNetworkComponent;

    /// The desktop's network connection editor: a new mobile-broadband connection for the
    /// modem, the list of connections for networking, a new connection of a type the user
    /// picks for a network component. ORVANTA_CONNECTION_EDITOR names another editor.
    static ControlPanelTools Default();
};

/// The machine's dial-up devices and phone-book entries, reached through RAS functions looked
/// up by name at run time so that the program runs where the dial-up service has none: the
/// device lists for the settings' filter defaults, the entry list whose connection handles
/// the hang-up commands use, and the entry operations of the options page.
///
/// The entry list is the program's one list of phone-book entries; it owns its entries.
/// Used from the window thread only.
class RasLibrary : public PhoneBookLists {
public:
    /// `api`: the RAS functions of the dial-up service, or none where there is no service.
    explicit RasLibrary(RasApi* api);
    ~RasLibrary() override;
    RasLibrary(const RasLibrary&) = delete;
    RasLibrary& operator=(const RasLibrary&) = delete;

    /// Attaches the current connections' handles to their entries (adding an entry for a
    /// connection whose name the list lacks) and clears every other entry's handle. False when
    /// the connections cannot be listed.
    virtual bool RefreshConnections();
    /// The Windows 95/98 way: there is no Dial-Up Networking folder here, so status 2.
    virtual bool LoadForWin9x();
    /// Looks the functions up and fills the device and entry lists; true when the status is 0.
    virtual bool LoadForNT();
    /// LoadForNT here and on Windows NT; LoadForWin9x on Windows 95/98.
    virtual bool Load();
    /// Refill their lists; false when the service reports no device or no entry.
    virtual bool EnumDevices();
    virtual bool EnumEntries();
    /// Whether a new entry may take the name.
    virtual bool IsNewEntryName(const std::string& name);
    virtual bool CreateEntry(const std::string& name, RASENTRY& properties);
    virtual bool UpdateEntry(const std::string& name, RASENTRY& properties);
    virtual bool GetEntryProperties(const std::string& name, RASENTRY& out);
    /// Removes the entry from the phone book; the list keeps it until it is refilled.
    virtual bool DeleteEntry(const std::string& name);

    /// The first entry of that name (without regard to case), its properties read on first
    /// use; none when the list lacks it.
    PhoneBookEntry* FindEntry(const std::string& name);
    bool EntryExists(const std::string& name) const;
    const std::vector<std::unique_ptr<PhoneBookEntry>>& Entries() const { return m_entries; }
    /// The RAS functions this list reaches the dial-up service through; none without one.
    RasApi* Api() const { return m_api; }

    // The control-panel commands: the tool started as a ProgramLauncher that notifies
    // `notifyWindow` with `notifyCommand` when it ends. None when the tool is not installed.
    std::unique_ptr<ProgramLauncher> AddModem(MessageWindow* notifyWindow, int notifyCommand);
    std::unique_ptr<ProgramLauncher> InstallNetworking(MessageWindow* notifyWindow,
                                                       int notifyCommand);
    std::unique_ptr<ProgramLauncher> AddNetworkComponent(MessageWindow* notifyWindow,
                                                         int notifyCommand);
    void SetControlPanelTools(ControlPanelTools tools) { m_tools = std::move(tools); }

    // PhoneBookLists
    int Status() const override { return m_status; }
    std::vector<std::string> DeviceNames() const override { return m_deviceNames; }
    std::vector<std::string> DeviceTypes() const override { return m_deviceTypes; }
    std::vector<std::string> EntryNames() const override;

private:
    using GetEntryPropertiesFn = std::uint32_t (RasApi::*)(const char*, const char*, RASENTRY*,
                                                           std::uint32_t*, std::uint8_t*,
                                                           std::uint32_t*);
    using SetEntryPropertiesFn = std::uint32_t (RasApi::*)(const char*, const char*,
                                                           const RASENTRY*, std::uint32_t,
                                                           const std::uint8_t*, std::uint32_t);
    using EntryNameFn = std::uint32_t (RasApi::*)(const char*, const char*);
    using EnumDevicesFn = std::uint32_t (RasApi::*)(RASDEVINFO*, std::uint32_t*, std::uint32_t*);
    using EnumEntriesFn = std::uint32_t (RasApi::*)(const char*, const char*, RASENTRYNAME*,
                                                    std::uint32_t*, std::uint32_t*);
    using EnumConnectionsFn = std::uint32_t (RasApi::*)(RASCONN*, std::uint32_t*, std::uint32_t*);

    /// Forgets the functions looked up before, as freeing a loaded library does.
    void Unload();
    /// The function of that name when the service exports it.
    template <typename Fn>
    Fn Lookup(const char* name, Fn function) const;
    bool SetProperties(const std::string& name, RASENTRY& properties);
    std::unique_ptr<ProgramLauncher> StartTool(const SystemTool& tool, MessageWindow* notifyWindow,
                                               int notifyCommand);

    RasApi* m_api;
    int m_status = kRasReady;
    bool m_loaded = false;
    std::vector<std::string> m_deviceNames;
    std::vector<std::string> m_deviceTypes;
    std::vector<std::unique_ptr<PhoneBookEntry>> m_entries;
    ControlPanelTools m_tools = ControlPanelTools::Default();

    GetEntryPropertiesFn m_getEntryProperties = nullptr;
    SetEntryPropertiesFn m_setEntryProperties = nullptr;
    EntryNameFn m_validateEntryName = nullptr;
    EntryNameFn m_deleteEntry = nullptr;
    EnumDevicesFn m_enumDevices = nullptr;
    EnumEntriesFn m_enumEntries = nullptr;
    EnumConnectionsFn m_enumConnections = nullptr;
};

}  // namespace ov
