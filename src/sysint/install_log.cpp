#include "sysint/install_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <ctime>
#include <filesystem>

#include "launcher/single_instance.h"
#include "platform/file_util.h"
#include "platform/paths.h"
#include "settings/registry_key.h"
#include "sysint/autostart.h"
#include "sysint/shortcuts.h"

namespace ov {

namespace {

constexpr const char* kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kAppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
/// The name of the program's own shortcuts in the group and on the desktop.
constexpr const char* kProgramShortcutName = "Orvanta";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

/// The root number of a registry record; 0 for a root the records leave out.
int RootNumber(HKEY root) {
    switch (root) {
        case HKEY_CURRENT_USER:
            return 1;
        case HKEY_LOCAL_MACHINE:
            return 2;
        case HKEY_USERS:
            return 3;
        default:
            return 0;
    }
}

/// The files of a language-pack folder beyond `known`, in name order.
std::vector<std::string> FurtherPackFiles(const std::string& folder,
                                          const std::vector<std::string>& known) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string extension = it->path().extension().string();
        if (it->is_regular_file(ec) && (extension == ".txt" || extension == ".html") &&
            std::find(known.begin(), known.end(), name) == known.end()) {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

InstallPaths InstallPaths::ForThisProgram(const ProgramPaths& paths) {
    InstallPaths install;
    install.programPath = CurrentProgramPath();
    install.programFolder = paths.programFolder;
    install.dataRoot = paths.dataRoot;
    return install;
}

InstallLog::InstallLog(const std::string& brand, const std::string& title,
                       const std::string& version, InstallPaths paths, const Clock& clock)
    : m_paths(std::move(paths)), m_brand(brand), m_title(title) {
    const Time32 now = clock.Now();
    m_logPath = JoinPath(m_paths.dataRoot, kInstallLogName);
    m_groupFolder = JoinPath(ShellFolder("Programs"), m_title);
    m_productKey = m_brand.empty() ? "SOFTWARE\\" + m_title + "\\" + version
                                   : "SOFTWARE\\" + m_brand + "\\" + m_title + "\\" + version;
    if (RegistryKey(HKEY_LOCAL_MACHINE, m_productKey).Exists()) {
        return;  // registered on an earlier start
    }
    MoveUninstaller();
    Register(now, version);
}

InstallLog::~InstallLog() {
    // Never a dead menu entry: the uninstall shortcut only when the uninstaller is there.
    if (const auto command = UninstallCommand(); m_log && !m_groupPending && !command.empty()) {
        AddGroupShortcut("Uninstall " + m_title, command.front(),
                         {command.begin() + 1, command.end()});
    }
    if (m_log) {
        std::fclose(m_log);
    }
}

std::string InstallLog::ShellFolder(const char* name) {
    std::string folder;
    RegistryKey(HKEY_CURRENT_USER, kShellFoldersKey).ReadString(name, folder);
    return folder;
}

void InstallLog::MoveUninstaller() {
    const std::string source = JoinPath(m_paths.programFolder, kUninstallerName);
    const std::string target = JoinPath(m_paths.dataRoot, kUninstallerName);
    // A portable copy keeps its data beside the program: the uninstaller is in place already.
    if (source == target || !Exists(source)) {
        return;
    }
    if (!Exists(target)) {
        const auto program = ReadWholeFile(source);
        if (!program || !EnsureFolder(m_paths.dataRoot) || !WriteFileAtomically(target, *program) ||
            ::chmod(target.c_str(), 0700) != 0) {
            return;  // keep the only copy where it is
        }
    }
    ::unlink(source.c_str());
}

std::vector<std::string> InstallLog::UninstallCommand() const {
    const std::string uninstaller = JoinPath(m_paths.dataRoot, kUninstallerName);
    if (!Exists(uninstaller)) {
        return {};
    }
    return {uninstaller, "-f" + m_logPath, "-n" + m_title};
}

void InstallLog::Register(Time32 now, const std::string& version) {
    const bool madeDataRoot = !Exists(m_paths.dataRoot);
    EnsureFolder(m_paths.dataRoot);
    const int fd =
        ::open(m_logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;  // unregistered: the next start tries again
    }
    m_log = ::fdopen(fd, "a");
    if (!m_log) {
        ::close(fd);
        return;
    }
    std::tm local{};
    ToLocalTime(now, local);
    char header[128];  // room for any value the fields can hold
    std::snprintf(header, sizeof header, "***  Installation Started %02d/%02d/%4d %02d:%02d  ***\n",
                  local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                  local.tm_min);
    Write(header);
    Write("Title: " + m_brand + " " + m_title + " Installation (Ver " + version +
          "  Win95 / NT)\n");
    Write("Source: " + m_title + "\n");

    // The program's own folder only when it is the user's copy: an uninstaller following the
    // record must never reach a system folder such as /usr/bin.
    if (m_paths.IsPortable()) {
        LogFolder(m_paths.programFolder);
    } else if (madeDataRoot) {
        LogFolder(m_paths.dataRoot);
    }
    WriteRegistryValue(HKEY_LOCAL_MACHINE, m_productKey, "", m_paths.programPath);
    const std::string uninstallKey = kUninstallKey + m_title;
    WriteRegistryValue(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName", m_title);
    if (const auto command = UninstallCommand(); !command.empty()) {
        WriteRegistryValue(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString",
                           DesktopExecLine(command));
    }
    const auto slash = m_paths.programPath.rfind('/');
    if (slash != std::string::npos && slash + 1 < m_paths.programPath.size()) {
        const std::string appKey = kAppPathsKey + m_paths.programPath.substr(slash + 1);
        WriteRegistryValue(HKEY_LOCAL_MACHINE, appKey, "", m_paths.programPath);
        WriteRegistryValue(HKEY_LOCAL_MACHINE, appKey, "Path", m_paths.programFolder);
    }
}

void InstallLog::Write(const std::string& line) {
    if (m_log) {
        // Kept in step with the registry: what is registered is in the log even if the
        // program ends during start-up.
        std::fputs(line.c_str(), m_log);
        std::fflush(m_log);
    }
}

std::string InstallLog::FullPath(const std::string& path) const {
    return !path.empty() && path.front() == '/' ? path : JoinPath(m_paths.programFolder, path);
}

void InstallLog::LogFolder(const std::string& path) {
    Write("Made Dir: " + FullPath(path) + "\n");
}

void InstallLog::LogFile(const std::string& path) {
    Write("File Copy: " + FullPath(path) + "\n");
}

void InstallLog::LogRegistryValue(HKEY root, const std::string& key, const std::string& name,
                                  const std::string& value) {
    if (!m_log) {
        return;
    }
    Write("RegDB Key: " + key + "\n");
    Write("RegDB Val: " + value + "\n");
    Write("RegDB Name: " + name + "\n");
    if (const int number = RootNumber(root)) {
        Write("RegDB Root: " + std::to_string(number) + "\n");
    }
}

void InstallLog::WriteRegistryValue(HKEY root, const std::string& key, const std::string& name,
                                    const std::string& value) {
    if (!m_log) {
        return;
    }
    RegistryKey registryKey(root, key);
    if (registryKey.Open(root, key, KEY_ALL_ACCESS)) {
        registryKey.WriteString(name.c_str(), value);
    }
    LogRegistryValue(root, key, name, value);
}

void InstallLog::AddGroupShortcut(const std::string& name, const std::string& target,
                                  const std::vector<std::string>& arguments) {
    if (!m_log) {
        return;
    }
    if (m_groupPending && EnsureFolder(m_groupFolder)) {
        LogFolder(m_groupFolder);
        m_groupPending = false;
    }
    CreateShortcut(name, FullPath(target), m_groupFolder, arguments);
    Write("Shell Link: " + ShortcutPath(m_groupFolder, name) + "\n");
}

void InstallLog::AddDesktopShortcut(const std::string& name, const std::string& target) {
    if (!m_log) {
        return;
    }
    const std::string desktop = ShellFolder("Desktop");
    CreateShortcut(name, FullPath(target), desktop);
    Write("Shell Link: " + ShortcutPath(desktop, name) + "\n");
}

void RecordInstalledFiles(InstallLog& log, const std::string& langsFolder,
                          const std::string& runValueName) {
    if (!log.IsOpen()) {
        return;
    }
    const InstallPaths& paths = log.Paths();
    const std::string english = JoinPath(langsFolder, "English");
    const std::string slovak = JoinPath(langsFolder, "Slovak");
    log.LogFolder(JoinPath(paths.dataRoot, "LogData"));
    if (paths.IsPortable()) {
        log.LogFolder(langsFolder);
        log.LogFolder(english);
        log.LogFolder(slovak);

        log.LogFile(paths.programPath);
        const std::vector<std::string> englishFiles{"OVEngRes.rcc", "OVEng.html", "License.txt",
                                                    "Readme.txt"};
        const std::vector<std::string> slovakFiles{"OVSlvRes.rcc", "Licencia.txt", "Citajma.txt"};
        for (const auto& file : englishFiles) {
            log.LogFile(JoinPath(english, file));
        }
        for (const auto& file : slovakFiles) {
            log.LogFile(JoinPath(slovak, file));
        }
        for (const auto& file : FurtherPackFiles(english, englishFiles)) {
            log.LogFile(JoinPath(english, file));
        }
        for (const auto& file : FurtherPackFiles(slovak, slovakFiles)) {
            log.LogFile(JoinPath(slovak, file));
        }
    }

    // Recorded only, so that the uninstaller removes the autostart entry should there be one.
    log.LogRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, runValueName, "");

    log.AddGroupShortcut(kProgramShortcutName, paths.programPath);
    log.AddGroupShortcut("Licensee Agreement", JoinPath(english, "License.txt"));
    log.AddGroupShortcut("Readme", JoinPath(english, "Readme.txt"));
    log.AddDesktopShortcut(kProgramShortcutName, paths.programPath);
}

}  // namespace ov
