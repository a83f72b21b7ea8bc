#include "sysint/shortcuts.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "platform/file_util.h"
#include "platform/paths.h"
#include "platform/ras/ras_sim.h"
#include "platform/registry/system_keys.h"
#include "platform/text_util.h"
#include "settings/registry_key.h"
#include "sysint/autostart.h"

extern char** environ;

namespace ov {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kShortcutSuffix = ".desktop";

/// A name that can be one file name in a folder.
bool IsFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR);
}

std::string ExecLine(const std::vector<std::string>& argv) {
    return EscapeField(DesktopExecLine(argv));
}

/// Writes a desktop entry that desktops will launch: they refuse desktop files on the desktop
/// that are not executable.
bool WriteLauncher(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, text) && ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

std::string ShortcutPath(const std::string& folder, const std::string& name) {
    return JoinPath(folder, name + std::string(kShortcutSuffix));
}

bool CreateShortcut(const std::string& name, const std::string& target, const std::string& folder,
                    const std::vector<std::string>& arguments) {
    if (!IsFileName(name) || target.empty() || !IsFolder(folder)) {
        return false;
    }
    std::vector<std::string> argv;
    if (!arguments.empty() || IsProgram(target)) {
        argv.push_back(target);
        argv.insert(argv.end(), arguments.begin(), arguments.end());
    } else {
        // A document opens with the desktop's program for it. An application entry rather
        // than a link: menus leave links out.
        argv = {"xdg-open", target};
    }
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeField(name) +
                             "\nExec=" + ExecLine(argv) + "\n";
    return WriteLauncher(ShortcutPath(folder, name), text);
}

bool SetAutoStart(const std::string& valueName, const std::string& programPath) {
    RegistryKey key(HKEY_LOCAL_MACHINE, kRunKey);
    return key.Open(HKEY_LOCAL_MACHINE, kRunKey, KEY_ALL_ACCESS) &&
           key.WriteString(valueName.c_str(), programPath);
}

bool RemoveAutoStart(const std::string& valueName) {
    RegistryKey key(HKEY_LOCAL_MACHINE, kRunKey);
    return key.Open(HKEY_LOCAL_MACHINE, kRunKey, KEY_ALL_ACCESS) &&
           key.DeleteValue(valueName.c_str());
}

std::vector<std::string> EntryDialCommand(const std::string& entry, RasProvider& provider) {
    if (const auto* sim = dynamic_cast<const SimRasProvider*>(&provider)) {
        // Pinned to this state file: the command alone would pick its service afresh.
        return {"env",
                "ORVANTA_RAS=sim:" + sim->StateFile(),
                JoinPath(ProgramFolder(), "orvanta-cli"),
                "ras",
                "dial",
                entry};
    }
    return {"nmcli", "connection", "up", "id", entry};
}

bool CreateEntryShortcut(const std::string& entry, const std::vector<std::string>& dialCommand) {
    if (!IsFileName(entry) || dialCommand.empty()) {
        return false;
    }
    const std::string folder = DesktopFolder();
    if (!IsFolder(folder)) {
        return false;
    }
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeField(entry) +
                             "\nIcon=network-wired\nExec=" + ExecLine(dialCommand) + "\n";
    return WriteLauncher(ShortcutPath(folder, entry), text);
}

bool EntryShortcutExists(const std::string& entry) {
    if (!IsFileName(entry)) {
        return false;
    }
    struct stat st {};
    return ::lstat(ShortcutPath(DesktopFolder(), entry).c_str(), &st) == 0;
}

bool OpenDocument(const std::string& file) {
    std::string opener = FindInSearchPath("xdg-open");
    if (opener.empty() || file.empty()) {
        return false;
    }
    // A file name beginning with "-" must not pass for an option.
    std::string document = file.front() == '-' ? "./" + file : file;
    std::vector<char*> argv{opener.data(), document.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t child = 0;
    const int rc = posix_spawn(&child, opener.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    try {
        std::thread([child] {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread to wait for it the opener stays a zombie until we end: harmless.
    }
    return true;
}

}  // namespace ov
