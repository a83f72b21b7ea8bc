#include "sysint/autostart.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/file_util.h"
#include "platform/registry/system_keys.h"
#include "platform/text_util.h"
#include "platform/win_error.h"

namespace ov {

namespace {

constexpr std::string_view kDesktopSuffix = ".desktop";
// Marks the autostart files that stand for values of the autostart list and keeps the value's
// exact text (Exec= holds it quoted for the desktop).
constexpr std::string_view kRunMarker = "X-Orvanta-Run=";

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

// The autostart folder the program named; the registry may read the list from any thread.
std::mutex g_folderMutex;
std::string g_folder;

std::string AutostartFolder() {
    std::lock_guard lock(g_folderMutex);
    return g_folder;
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

/// The autostart list as .desktop files of the autostart folder.
class DesktopAutostartList final : public AutostartList {
public:
    std::vector<RegValue> Values() const override {
        std::vector<RegValue> values;
        for (auto& entry : ReadAutostart()) {
            values.push_back(RegValue{std::move(entry.name), REG_SZ, std::move(entry.command)});
        }
        return values;
    }
    std::uint32_t Set(std::string_view name, std::uint32_t type, std::string_view data) override {
        return SetAutostart(name, type, data);
    }
    std::uint32_t Delete(std::string_view name) override { return DeleteAutostart(name); }
};

}  // namespace

std::string DesktopExecQuote(std::string_view argument) {
    // An empty argument needs its quotes too, or it would vanish.
    const bool plain = !argument.empty() &&
                       argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string_view::npos;
    std::string quoted;
    if (!plain) {
        quoted += '"';
    }
    for (const char c : argument) {
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
    return quoted;
}

std::string DesktopExecLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const auto& argument : argv) {
        if (!line.empty()) {
            line += ' ';
        }
        line += DesktopExecQuote(argument);
    }
    return line;
}

std::string DesktopExecArgument(std::string_view argument) {
    return EscapeField(DesktopExecQuote(argument));
}

void UseDesktopAutostart(const std::string& folder) {
    {
        std::lock_guard lock(g_folderMutex);
        g_folder = folder;
    }
    static DesktopAutostartList list;
    InstallAutostartList(&list);
}

}  // namespace ov
