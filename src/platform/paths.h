#pragma once

#include <string>
#include <vector>

namespace ov {

/// The folder of the running executable (from /proc/self/exe).
std::string ProgramFolder();

/// Where the program keeps its data (call logs, tariff file, machine hive, simulator state):
/// ORVANTA_HOME when set; else the program folder when it holds `Langs` and is writable (a
/// portable copy or the build tree); else $XDG_DATA_HOME/orvanta.
std::string DataRoot();

/// The data root, created (0700) when missing. Empty, with `error` set, when it cannot be made.
std::string EnsureDataRoot(std::string* error = nullptr);

/// The machine hive (HKEY_LOCAL_MACHINE): `machine.reg` in the data root.
std::string MachineHivePath();

/// The user hive (HKEY_CURRENT_USER): `user.reg` in ORVANTA_HOME when that is set, else in
/// $XDG_CONFIG_HOME/orvanta.
std::string UserHivePath();

/// The folders the user chose for the program's files: the data root and the folder of the
/// user hive. They may be symbolic links; nothing below them is followed.
std::vector<std::string> ChosenRoots();

/// $HOME, else the effective user's home folder from the password database.
std::string HomeFolder();

/// $XDG_CONFIG_HOME, or ~/.config.
std::string ConfigHome();

/// $XDG_DATA_HOME, or ~/.local/share.
std::string DataHome();

}  // namespace ov
