#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/registry/registry.h"

namespace ov {

class TextSource;

/// HKEY_USERS, which install records may name (root 3) though the program writes none there.
inline constexpr HKEY HKEY_USERS = 0x80000003;

/// The separate uninstaller that reads the install log; it lives in the data root once the
/// program has registered itself. Without it no uninstall command is registered or offered.
inline constexpr const char* kUninstallerName = "QXUninst";
inline constexpr const char* kInstallLogName = "INSTALL.LOG";

/// Where the installation is recorded from.
struct InstallPaths {
    std::string programPath;    // full path of the executable
    std::string programFolder;  // its folder
    std::string dataRoot;       // holds the install log and the uninstaller

    /// The running program's path, its folder and data root as `paths` names them.
    static InstallPaths ForThisProgram(const ProgramPaths& paths);

    /// A portable copy keeps its data beside the program: its files are the user's own, and
    /// the record names them. An installed copy's program and packs belong to whoever
    /// installed them (the package manager), so its record names only what it makes itself.
    bool IsPortable() const { return dataRoot == programFolder; }
};

/// The record of the program's installation: on the first start on a machine it registers the
/// program (product key, uninstall entry, application path), moves the uninstaller into the
/// data root and writes the install log that the uninstaller reads to undo all of it. Made and
/// destroyed during start-up; on later starts it does nothing.
class InstallLog {
public:
    InstallLog(const std::string& brand, const std::string& title, const std::string& version,
               InstallPaths paths, const Clock& clock = DefaultClock());
    /// Adds the uninstall shortcut to the group when the group was made, then closes the log.
    ~InstallLog();
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    /// Whether this start registers the program (the log is open).
    bool IsOpen() const { return m_log != nullptr; }

    // Records; each does nothing when the log is not open. A relative path is taken in the
    // program folder.
    void LogFolder(const std::string& path);
    void LogFile(const std::string& path);
    /// The registry record only.
    void LogRegistryValue(HKEY root, const std::string& key, const std::string& name,
                          const std::string& value);
    /// Writes the text value (creating the key) and its record.
    void WriteRegistryValue(HKEY root, const std::string& key, const std::string& name,
                            const std::string& value);
    /// The shortcut in the program's group of the applications menu (made the first time,
    /// with its folder record), then its record.
    void AddGroupShortcut(const std::string& name, const std::string& target,
                          const std::vector<std::string>& arguments = {});
    /// The shortcut on the desktop and its record.
    void AddDesktopShortcut(const std::string& name, const std::string& target);

    const InstallPaths& Paths() const { return m_paths; }
    const std::string& GroupFolder() const { return m_groupFolder; }
    const std::string& LogPath() const { return m_logPath; }
    /// The product key, "SOFTWARE\<brand>\<title>\<version>" under HKEY_LOCAL_MACHINE.
    const std::string& ProductKey() const { return m_productKey; }

private:
    void Register(Time32 now, const std::string& version);
    /// The uninstaller's command line (`-f` the log, `-n` the title), quoted as desktop
    /// entries quote, or empty when there is no uninstaller to run.
    std::vector<std::string> UninstallCommand() const;
    void MoveUninstaller();
    void Write(const std::string& line);
    std::string FullPath(const std::string& path) const;
    static std::string ShellFolder(const char* name);

    std::string m_groupFolder;
    std::string m_logPath;
    InstallPaths m_paths;
    std::string m_brand;
    std::string m_title;
    std::string m_productKey;
    std::FILE* m_log = nullptr;
    bool m_groupPending = true;
};

/// What start-up records after the registration, so that the uninstaller removes it all: the
/// call log folder; for a portable copy the program's folders and files (the language packs
/// in `langsFolder`); the autostart entry named `runValueName` (recorded, not written); the
/// group shortcuts to the program and the English licence and read-me, and the desktop
/// shortcut to the program.
void RecordInstalledFiles(InstallLog& log, const std::string& langsFolder,
                          const std::string& runValueName);

}  // namespace ov
