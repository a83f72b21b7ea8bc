#include "platform/registry/system_keys.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "platform/file_util.h"
#include "platform/language.h"
#include "platform/paths.h"
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

struct LanguageName {
    std::uint16_t id;
    std::string_view tag;  // RFC 1766
    std::string_view name;
};

// Every language the locale table can report, named as the system's language list names them.
constexpr std::array kLanguageNames{
    LanguageName{0x0409, "en-us", "English (United States)"},
    LanguageName{0x0809, "en-gb", "English (United Kingdom)"},
    LanguageName{0x0C09, "en-au", "English (Australia)"},
    LanguageName{0x1009, "en-ca", "English (Canada)"},
    LanguageName{0x1409, "en-nz", "English (New Zealand)"},
    LanguageName{0x1809, "en-ie", "English (Ireland)"},
    LanguageName{0x041B, "sk", "Slovak"},
    LanguageName{0x0405, "cs", "Czech"},
    LanguageName{0x0407, "de", "German (Germany)"},
    LanguageName{0x0807, "de-ch", "German (Switzerland)"},
    LanguageName{0x0C07, "de-at", "German (Austria)"},
    LanguageName{0x040C, "fr", "French (France)"},
    LanguageName{0x080C, "fr-be", "French (Belgium)"},
    LanguageName{0x0C0C, "fr-ca", "French (Canada)"},
    LanguageName{0x100C, "fr-ch", "French (Switzerland)"},
    LanguageName{0x0C0A, "es", "Spanish (Spain)"},
    LanguageName{0x080A, "es-mx", "Spanish (Mexico)"},
    LanguageName{0x0410, "it", "Italian (Italy)"},
    LanguageName{0x0816, "pt", "Portuguese (Portugal)"},
    LanguageName{0x0416, "pt-br", "Portuguese (Brazil)"},
    LanguageName{0x0413, "nl", "Dutch (Netherlands)"},
    LanguageName{0x0813, "nl-be", "Dutch (Belgium)"},
    LanguageName{0x0415, "pl", "Polish"},
    LanguageName{0x040E, "hu", "Hungarian"},
    LanguageName{0x0419, "ru", "Russian"},
    LanguageName{0x0422, "uk", "Ukrainian"},
    LanguageName{0x0402, "bg", "Bulgarian"},
    LanguageName{0x041A, "hr", "Croatian"},
    LanguageName{0x0424, "sl", "Slovenian"},
    LanguageName{0x0418, "ro", "Romanian"},
    LanguageName{0x0408, "el", "Greek"},
    LanguageName{0x041F, "tr", "Turkish"},
    LanguageName{0x041D, "sv", "Swedish"},
    LanguageName{0x0406, "da", "Danish"},
    LanguageName{0x0414, "no", "Norwegian (Bokmal)"},
    LanguageName{0x0814, "no", "Norwegian (Nynorsk)"},
    LanguageName{0x040B, "fi", "Finnish"},
    LanguageName{0x0425, "et", "Estonian"},
    LanguageName{0x0426, "lv", "Latvian"},
    LanguageName{0x0427, "lt", "Lithuanian"},
    LanguageName{0x0411, "ja", "Japanese"},
    LanguageName{0x0412, "ko", "Korean"},
    LanguageName{0x0804, "zh-cn", "Chinese (PRC)"},
    LanguageName{0x0404, "zh-tw", "Chinese (Taiwan)"},
    LanguageName{0x0C04, "zh-hk", "Chinese (Hong Kong)"},
    LanguageName{0x040D, "he", "Hebrew"},
    LanguageName{0x0401, "ar-sa", "Arabic (Saudi Arabia)"},
};

constexpr std::string_view kDesktopSuffix = ".desktop";
// Marks the autostart files that stand for values of the autostart list and keeps the value's
// exact text (Exec= holds it quoted for the desktop).
constexpr std::string_view kRunMarker = "X-Orvanta-Run=";

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
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// --- the autostart list -------------------------------------------------------------------

/// A desktop entry value read back: the escapes EscapeField writes, and \s for a blank.
std::string DesktopUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 's':
                out += ' ';
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

bool IsFitFileName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
        return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

struct AutostartEntry {
    std::string name;  // the value name: the file name without ".desktop"
    std::string file;
    std::string command;
};

std::vector<AutostartEntry> ReadAutostart() {
    std::vector<AutostartEntry> entries;
    const std::string folder = AutostartFolder();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return entries;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view fileName = entry->d_name;
        if (fileName.size() <= kDesktopSuffix.size() || !fileName.ends_with(kDesktopSuffix)) {
            continue;
        }
        const std::string file = JoinPath(folder, fileName);
        const auto text = ReadWholeFile(file);
        if (!text) {
            continue;
        }
        for (std::size_t pos = 0; pos < text->size();) {
            const auto end = std::min(text->find('\n', pos), text->size());
            const std::string_view line(text->data() + pos, end - pos);
            if (line.starts_with(kRunMarker)) {
                entries.push_back(
                    {std::string(fileName.substr(0, fileName.size() - kDesktopSuffix.size())), file,
                     DesktopUnescape(line.substr(kRunMarker.size()))});
                break;
            }
            pos = end + 1;
        }
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const AutostartEntry& a, const AutostartEntry& b) { return a.name < b.name; });
    return entries;
}

const AutostartEntry* FindAutostart(const std::vector<AutostartEntry>& entries,
                                    std::string_view name) {
    for (const auto& entry : entries) {
        if (EqualsIgnoreCase(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

std::uint32_t SetAutostart(std::string_view name, std::uint32_t type, std::string_view data) {
    if (type != REG_SZ || !IsFitFileName(name)) {
        return ERROR_INVALID_PARAMETER;
    }
    // A text value may carry its terminating zero; the command ends there.
    const std::string command(data.substr(0, data.find('\0')));
    const auto entries = ReadAutostart();
    std::string file;
    if (const auto* existing = FindAutostart(entries, name)) {
        file = existing->file;
    } else {
        file = JoinPath(AutostartFolder(), std::string(name) + std::string(kDesktopSuffix));
        struct stat st {};
        if (::lstat(file.c_str(), &st) == 0) {
            return ERROR_ACCESS_DENIED;  // another program's autostart file: not ours to replace
        }
    }
    if (!EnsureFolder(AutostartFolder())) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeField(name) +
                             "\nExec=" + DesktopExecArgument(command) + "\n" +
                             std::string(kRunMarker) + EscapeField(command) + "\n";
    return WriteFileAtomically(file, text) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

std::uint32_t DeleteAutostart(std::string_view name) {
    const auto entries = ReadAutostart();
    const auto* existing = FindAutostart(entries, name);
    if (!existing) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ::unlink(existing->file.c_str()) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// --- the other system keys ----------------------------------------------------------------

std::vector<RegValue> AppPathValues(const std::string& program) {
    return {Text("", program), Text("Path", ParentFolder(program))};
}

std::vector<RegValue> LocaleValues() {
    std::vector<RegValue> values{Text("", Hex(SystemLanguageId(), 8))};
    for (const auto& language : kLanguageNames) {
        values.push_back(Text(Hex(language.id, 8), std::string(language.name)));
    }
    return values;
}

std::vector<RegValue> LanguageNameValues() {
    std::vector<RegValue> values;
    for (const auto& language : kLanguageNames) {
        values.push_back(Text(Hex(language.id, 4), LanguageNameEntry(language.id)));
    }
    return values;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string DesktopExecArgument(std::string_view program) {
    const bool plain = program.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string_view::npos;
    std::string quoted;
    if (!plain) {
        quoted += '"';
    }
    for (const char c : program) {
        if (!plain && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';  // a field code would be expanded otherwise
        }
    }
    if (!plain) {
        quoted += '"';
    }
    return EscapeField(quoted);
}

std::string AutostartFolder() {
    return JoinPath(ConfigHome(), "autostart");
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
    const std::string home = HomeFolder();
    if (const auto dirs = ReadWholeFile(JoinPath(ConfigHome(), "user-dirs.dirs"))) {
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

std::string LanguageNameEntry(std::uint16_t langId) {
    for (const auto& language : kLanguageNames) {
        if (language.id == langId) {
            return std::string(language.tag) + ";" + std::string(language.name);
        }
    }
    return {};
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
            for (auto& entry : ReadAutostart()) {
                key.values.push_back(Text(std::move(entry.name), std::move(entry.command)));
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
        key.values = {Text("Programs", JoinPath(DataHome(), "applications")),
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
        return SetAutostart(name, type, data);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> DeleteSystemValue(RegRoot root, const Path& path,
                                               std::string_view name) {
    if (root == RegRoot::LocalMachine && Is(path, kRunKey)) {
        return DeleteAutostart(name);
    }
    return std::nullopt;
}

}  // namespace ov
