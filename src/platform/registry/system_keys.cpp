#include "platform/registry/system_keys.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <mutex>

#include "platform/file_util.h"
#include "platform/language.h"
#include "platform/registry/language_names.h"
#include "platform/text_util.h"
#include "platform/win_error.h"

namespace ov {

namespace {

using Path = std::vector<std::string>;
using Names = std::initializer_list<std::string_view>;

const Names kRunKey{"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", "Run"};
const Names kAppPathsKey{"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", "App Paths"};
const Names kLanguageKey{"System", "CurrentControlSet", "Control", "Nls", "Language"};
const Names kLocaleKey{"System", "CurrentControlSet", "Control", "Nls", "Locale"};
const Names kShellFoldersKey{"SOFTWARE",       "Microsoft", "Windows",
                             "CurrentVersion", "Explorer",  "Shell Folders"};
const Names kRfc1766Key{"MIME", "Database", "Rfc1766"};

struct SystemPath {
    RegRoot root;
    const Names* names;
};
const std::array kSystemPaths{
    SystemPath{RegRoot::LocalMachine, &kRunKey},
    SystemPath{RegRoot::LocalMachine, &kAppPathsKey},
    SystemPath{RegRoot::LocalMachine, &kLanguageKey},
    SystemPath{RegRoot::LocalMachine, &kLocaleKey},
    SystemPath{RegRoot::CurrentUser, &kShellFoldersKey},
    SystemPath{RegRoot::ClassesRoot, &kRfc1766Key},
};

bool Is(const Path& path, const Names& names) {
    return path.size() == names.size() && std::equal(path.begin(), path.end(), names.begin(),
                                                     [](const std::string& a, std::string_view b) {
                                                         return EqualsIgnoreCase(a, b);
                                                     });
}

/// True when `path` lies strictly above `names`; `next` is then the child on the way.
bool IsAbove(const Path& path, const Names& names, std::string_view* next) {
    if (path.size() >= names.size()) {
        return false;
    }
    auto it = names.begin();
    for (const auto& part : path) {
        if (!EqualsIgnoreCase(part, *it++)) {
            return false;
        }
    }
    *next = *it;
    return true;
}

RegValue Text(std::string name, std::string text) {
    return RegValue{std::move(name), REG_SZ, std::move(text)};
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    (void)std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// --- the other system keys ----------------------------------------------------------------

std::vector<RegValue> AppPathValues(const std::string& program) {
    return {Text("", program), Text("Path", ParentFolder(program))};
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

/// The autostart list the Run key stands for, once a program installed one.
std::atomic<AutostartList*> g_autostart{nullptr};

std::mutex g_foldersMutex;
SystemFolders g_folders;

SystemFolders Folders() {
    std::lock_guard lock(g_foldersMutex);
    return g_folders;
}

}  // namespace

void UseSystemFolders(SystemFolders folders) {
    std::lock_guard lock(g_foldersMutex);
    g_folders = std::move(folders);
}

void InstallAutostartList(AutostartList* list) {
    g_autostart.store(list);
}

std::string FindInSearchPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return {};
    }
    const char* env = std::getenv("PATH");
    const std::string_view search = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::vector<std::string_view> candidates{name};
    if (name.size() > 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".exe")) {
        candidates.push_back(name.substr(0, name.size() - 4));
    }
    for (const auto candidate : candidates) {
        for (std::size_t pos = 0; pos <= search.size();) {
            const auto colon = std::min(search.find(':', pos), search.size());
            const std::string_view folder = search.substr(pos, colon - pos);
            pos = colon + 1;
            if (folder.empty() || folder.front() != '/') {
                continue;  // a relative folder would depend on where we were started
            }
            std::string path = JoinPath(folder, candidate);
            if (IsExecutableFile(path)) {
                return path;
            }
        }
    }
    return {};
}

std::string DesktopFolder() {
    const SystemFolders folders = Folders();
    const std::string& home = folders.home;
    if (const auto dirs = ReadWholeFile(JoinPath(folders.configHome, "user-dirs.dirs"))) {
        constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
        for (std::size_t pos = 0; pos < dirs->size();) {
            const auto end = std::min(dirs->find('\n', pos), dirs->size());
            std::string_view line(dirs->data() + pos, end - pos);
            pos = end + 1;
            if (!line.starts_with(kKey)) {
                continue;
            }
            line.remove_prefix(kKey.size());
            if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
                line = line.substr(1, line.size() - 2);
            }
            std::string folder;
            if (line.starts_with("$HOME")) {
                folder = home + std::string(line.substr(5));
            } else {
                folder = std::string(line);
            }
            if (!folder.empty() && folder.front() == '/') {
                return folder;
            }
        }
    }
    return JoinPath(home, "Desktop");
}

SystemKey LookupSystemKey(RegRoot root, const Path& path, bool inHive) {
    SystemKey key;
    for (const auto& system : kSystemPaths) {
        std::string_view next;
        if (system.root == root && IsAbove(path, *system.names, &next)) {
            key.exists = true;
            if (std::none_of(key.subkeys.begin(), key.subkeys.end(),
                             [&](const std::string& s) { return EqualsIgnoreCase(s, next); })) {
                key.subkeys.emplace_back(next);
            }
        }
    }
    if (root == RegRoot::LocalMachine) {
        if (Is(path, kRunKey)) {
            key.exists = true;
            key.replacesHive = true;
            if (const AutostartList* list = g_autostart.load()) {
                key.values = list->Values();
            }
        } else if (Is(path, kAppPathsKey)) {
            key.exists = true;
        } else if (!inHive && path.size() == kAppPathsKey.size() + 1 &&
                   Is(Path(path.begin(), path.end() - 1), kAppPathsKey)) {
            if (const std::string program = FindInSearchPath(path.back()); !program.empty()) {
                key.exists = true;
                key.replacesHive = true;
                key.values = AppPathValues(program);
            }
        } else if (Is(path, kLanguageKey)) {
            key.exists = true;
            key.values.push_back(Text("", Hex(SystemLanguageId(), 4)));
        } else if (Is(path, kLocaleKey)) {
            key.exists = true;
            key.values = LocaleValues();
        }
    } else if (root == RegRoot::CurrentUser && Is(path, kShellFoldersKey)) {
        key.exists = true;
        key.values = {Text("Programs", JoinPath(Folders().dataHome, "applications")),
                      Text("Desktop", DesktopFolder())};
    } else if (root == RegRoot::ClassesRoot && Is(path, kRfc1766Key)) {
        key.exists = true;
        key.values = LanguageNameValues();
    }
    return key;
}

std::optional<std::uint32_t> SetSystemValue(RegRoot root, const Path& path, std::string_view name,
                                            std::uint32_t type, std::string_view data) {
    if (root == RegRoot::LocalMachine && Is(path, kRunKey)) {
        AutostartList* list = g_autostart.load();
        return list != nullptr ? list->Set(name, type, data) : ERROR_ACCESS_DENIED;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> DeleteSystemValue(RegRoot root, const Path& path,
                                               std::string_view name) {
    if (root == RegRoot::LocalMachine && Is(path, kRunKey)) {
        AutostartList* list = g_autostart.load();
        return list != nullptr ? list->Delete(name) : ERROR_FILE_NOT_FOUND;
    }
    return std::nullopt;
}

}  // namespace ov
