#include "launcher/process_list.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "platform/file_util.h"
#include "platform/text_util.h"

namespace ov {

namespace {

std::int32_t CurrentProcessId() {
    static const std::int32_t id = static_cast<std::int32_t>(::getpid());
    return id;
}

std::optional<std::int32_t> ProcessIdOf(const char* name) {
    if (*name < '1' || *name > '9') {
        return std::nullopt;
    }
    const auto id = ParseInteger(name);
    if (!id || *id > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*id);
}

std::optional<std::string> ReadLink(const std::string& path) {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

/// The executable of a process: its full path, or its command name when the path is hidden.
std::optional<std::string> ExeNameOf(const std::string& processFolder) {
    if (auto path = ReadLink(processFolder + "/exe"); path && !path->empty()) {
        // An executable replaced on disk (by an update) while it runs is still the same
        // program to the user.
        constexpr std::string_view kDeleted = " (deleted)";
        if (path->ends_with(kDeleted)) {
            path->resize(path->size() - kDeleted.size());
        }
        return path;
    }
    auto comm = ReadWholeFile(processFolder + "/comm");
    if (!comm || comm->empty()) {
        return std::nullopt;  // gone meanwhile
    }
    if (comm->back() == '\n') {
        comm->pop_back();
    }
    return comm;
}

/// The script an interpreter runs: the first of its arguments that is not an option, made
/// absolute against the process's working folder. Empty when there is none.
std::string ScriptPathOf(const std::string& processFolder) {
    const auto commandLine = ReadWholeFile(processFolder + "/cmdline");
    if (!commandLine) {
        return {};
    }
    std::string_view rest = *commandLine;
    std::string_view script;
    bool first = true;  // the interpreter's own name
    bool optionsEnded = false;
    while (!rest.empty()) {
        const auto end = rest.find('\0');
        const std::string_view argument = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (std::exchange(first, false)) {
            continue;
        }
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (optionsEnded || argument.size() < 2 || argument.front() != '-') {
            script = argument;
            break;
        }
    }
    if (script.empty() || script == "-") {
        return {};  // no script, or one read from standard input
    }
    std::filesystem::path path(script);
    if (path.is_relative()) {
        const auto folder = ReadLink(processFolder + "/cwd");
        if (!folder) {
            return {};  // another user's process: its folder is hidden
        }
        path = std::filesystem::path(*folder) / path;
    }
    return path.lexically_normal().string();
}

/// Whether `path` is a script, which runs as an interpreter reading it.
bool IsScript(const std::string& path) {
    char start[2] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(start, sizeof start) && start[0] == '#' && start[1] == '!';
}

/// Whether the script an interpreter runs is the file at `path`, which is `realPath` once its
/// links are resolved.
bool ScriptMatches(const std::string& scriptPath, const std::string& path,
                   const std::string& realPath) {
    if (scriptPath.empty()) {
        return false;
    }
    if (scriptPath == path || scriptPath == realPath) {
        return true;
    }
    // Started by a link of another name: only a script of the same name is worth resolving.
    const auto name = std::filesystem::path(scriptPath).filename();
    if (name != std::filesystem::path(path).filename() &&
        name != std::filesystem::path(realPath).filename()) {
        return false;
    }
    char* resolved = ::realpath(scriptPath.c_str(), nullptr);
    const bool same = resolved != nullptr && realPath == resolved;
    std::free(resolved);
    return same;
}

}  // namespace

bool ExeNameMatches(std::string_view exeName, std::string_view path) {
    if (path.empty()) {
        return false;
    }
    if (path.front() != '/') {
        if (const auto slash = exeName.rfind('/'); slash != std::string_view::npos) {
            exeName.remove_prefix(slash + 1);
        }
    }
    return exeName == path;
}

std::string CutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t end = limit;
    // Step back over continuation bytes to the start of the character that would be cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

ProcessList::ProcessList() : ProcessList("/proc", MakeWindowList()) {}

ProcessList::ProcessList(std::string procRoot, std::unique_ptr<WindowList> windows)
    : m_procRoot(std::move(procRoot)), m_windows(std::move(windows)) {}

bool ProcessList::Refresh() {
    m_entries.clear();
    DIR* folder = ::opendir(m_procRoot.c_str());
    if (folder == nullptr) {
        return false;
    }
    // The process id 0 never appears in /proc, so no entry needs a stand-in id for it.
    while (const dirent* item = ::readdir(folder)) {
        const auto id = ProcessIdOf(item->d_name);
        if (!id) {
            continue;
        }
        const std::string processFolder = m_procRoot + "/" + item->d_name;
        auto exeName = ExeNameOf(processFolder);
        if (!exeName) {
            continue;
        }
        m_entries.push_back({*id, 0, std::move(*exeName), {}, ScriptPathOf(processFolder)});
    }
    ::closedir(folder);
    AssignWindows();
    return true;
}

void ProcessList::AssignWindows() {
    if (!m_windows) {
        return;
    }
    for (const DesktopWindow& window : m_windows->TopLevelWindows()) {
        for (ProcessEntry& entry : m_entries) {
            if (entry.processId != window.processId) {
                continue;
            }
            // A later window replaces an earlier one; an untitled one keeps the earlier title.
            entry.window = window.id;
            if (!window.title.empty()) {
                entry.title = CutUtf8(window.title, kMaxWindowTitle);
            }
            break;
        }
    }
}

const ProcessEntry* ProcessList::Find(std::string_view path) const {
    const std::string wanted(path);
    std::optional<std::string> realPath;
    bool script = false;
    if (!wanted.empty() && wanted.front() == '/') {
        if (char* resolved = ::realpath(wanted.c_str(), nullptr)) {
            if (wanted != resolved) {
                realPath = resolved;
            }
            std::free(resolved);
        }
        script = IsScript(wanted);
    }
    for (const ProcessEntry& entry : m_entries) {
        if (entry.processId == CurrentProcessId()) {
            continue;
        }
        if (ExeNameMatches(entry.exeName, wanted) ||
            (realPath && ExeNameMatches(entry.exeName, *realPath)) ||
            (script && ScriptMatches(entry.scriptPath, wanted, realPath.value_or(wanted)))) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace ov
