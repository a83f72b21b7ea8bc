#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/window_list.h"

namespace ov {

/// Titles are kept to this many bytes (a multi-byte character is never cut in half).
inline constexpr std::size_t kMaxWindowTitle = 63;

/// One running process.
struct ProcessEntry {
    std::int32_t processId = 0;
    std::uint32_t window = 0;  // a visible top-level window of the process; 0 for none
    /// The full path of the executable; the command name alone (no folder) when the path
    /// cannot be read, as for another user's processes and the kernel's threads.
    std::string exeName;
    std::string title;  // the window's title, at most kMaxWindowTitle bytes; may be empty
    /// For an interpreter running a script: the script's path, which is the first argument
    /// that is not an option, made absolute against the process's working folder. Empty when
    /// the process has no such argument.
    std::string scriptPath;
};

/// Whether `path` names the executable `exeName`: an empty path never does; a path that is not
/// absolute is compared with the part of the exe name after its last '/'; an absolute path
/// with the whole exe name. Case matters, as it does in the file system.
bool ExeNameMatches(std::string_view exeName, std::string_view path);

/// A snapshot of the running processes with their executables and windows. Used on the window
/// thread only.
class ProcessList {
public:
    /// The system's processes (/proc) and the desktop's windows.
    ProcessList();
    /// Processes from another proc folder and windows from `windows`, for tests.
    ProcessList(std::string procRoot, std::unique_ptr<WindowList> windows);

    /// Empties the list and fills it again, in the order the system reports the processes;
    /// then gives each process its last visible window and that window's title. False when the
    /// processes cannot be listed at all.
    bool Refresh();

    /// Whether any process other than this one matches `path` (ExeNameMatches). An absolute
    /// path also matches through the symbolic links in it, since the system reports the
    /// executable's real path. A script (a file starting with "#!") runs as its interpreter, so
    /// it also matches a process whose script path is the script.
    bool IsRunning(std::string_view path) const { return Find(path) != nullptr; }

    /// The first process other than this one that matches `path`, or null.
    const ProcessEntry* Find(std::string_view path) const;

    const std::vector<ProcessEntry>& Entries() const { return m_entries; }

private:
    void AssignWindows();

    std::string m_procRoot;
    std::unique_ptr<WindowList> m_windows;
    std::vector<ProcessEntry> m_entries;
};

/// `text` cut to at most `limit` bytes without splitting a UTF-8 character.
std::string CutUtf8(std::string_view text, std::size_t limit);

}  // namespace ov
