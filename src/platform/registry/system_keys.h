#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.h"

namespace ov {

/// The three roots the program uses.
enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine };

/// What the system itself says about a key that the program reads or writes as the
/// registry's own: the autostart list, application paths, the system language, the shell
/// folders and the language names. Everything else is plain hive data.
struct SystemKey {
    bool exists = false;        // the key is there even without hive data
    bool replacesHive = false;  // its values come from the system only, never from the hive
    std::vector<RegValue> values;
    std::vector<std::string> subkeys;  // subkeys that exist without hive data
};

/// The system's view of `path` under `root`; `inHive` says whether the hive holds the key
/// (an application path registered in the hive hides the PATH search).
SystemKey LookupSystemKey(RegRoot root, const std::vector<std::string>& path, bool inHive);

/// A write to a value that the system keeps (the autostart list): the error number, or nothing
/// when the value is plain hive data.
std::optional<std::uint32_t> SetSystemValue(RegRoot root, const std::vector<std::string>& path,
                                            std::string_view name, std::uint32_t type,
                                            std::string_view data);
/// As SetSystemValue, for removing the value.
std::optional<std::uint32_t> DeleteSystemValue(RegRoot root, const std::vector<std::string>& path,
                                               std::string_view name);

/// The autostart list the Run key of the local machine stands for. The desktop keeps it, not
/// a hive; the layer that knows the desktop's autostart files installs it.
class AutostartList {
public:
    virtual ~AutostartList() = default;
    /// The list's values (text values: the command of each name), in name order.
    virtual std::vector<RegValue> Values() const = 0;
    /// Adds or changes value `name`: an error number, 0 on success.
    virtual std::uint32_t Set(std::string_view name, std::uint32_t type, std::string_view data) = 0;
    /// Removes value `name`: an error number, 0 on success.
    virtual std::uint32_t Delete(std::string_view name) = 0;
};

/// Makes `list` the Run key's, for the whole process; `list` must stay alive while installed.
/// Without one the Run key holds nothing and takes no values.
void InstallAutostartList(AutostartList* list);

/// The user's folders the desktop keeps its own settings in (ProgramPaths names them).
struct SystemFolders {
    std::string home;        // the home folder: the desktop folder's default
    std::string configHome;  // holds user-dirs.dirs
    std::string dataHome;    // holds the applications menu
};

/// Makes `folders` the shell folders' source for the whole process (a program names them
/// once at start). Without them the shell folders are relative names.
void UseSystemFolders(SystemFolders folders);

/// The full path of an executable `name` found in a folder of PATH, or empty. A name ending in
/// ".exe" is also looked for without it.
std::string FindInSearchPath(std::string_view name);

/// The desktop folder: XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop.
std::string DesktopFolder();

}  // namespace ov
