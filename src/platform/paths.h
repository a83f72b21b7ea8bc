#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ov {

/// The folder of the running executable (from /proc/self/exe).
std::string ProgramFolder();

/// Where the program's files are, decided once when a program starts and handed to whatever
/// reads or writes them (as the clock is): tests build one on a temporary folder instead of
/// steering process-wide lookups.
struct ProgramPaths {
    /// The program's folder: a portable copy keeps its data there.
    std::string programFolder;
    /// Where the program keeps its data (call logs, tariff file, machine hive, simulator
    /// state): ORVANTA_HOME when set; else the program folder when it holds `Langs` and is
    /// writable (a portable copy or the build tree); else $XDG_DATA_HOME/orvanta.
    std::string dataRoot;
    /// The monthly call log files: `LogData` in the data root.
    std::string logFolder;
    /// The library of tariffs to choose from: `Prices.ini` in the data root.
    std::string tariffFile;
    /// The machine hive (HKEY_LOCAL_MACHINE): `machine.reg` in the data root.
    std::string machineHive;
    /// The user hive (HKEY_CURRENT_USER): `user.reg` in ORVANTA_HOME when that is set, else in
    /// $XDG_CONFIG_HOME/orvanta.
    std::string userHive;
    /// The dial-up simulator's state, unless its choice names a file: `ras-sim.state` in the
    /// data root.
    std::string simulatorState;
    /// The desktop's autostart files: $XDG_CONFIG_HOME/autostart.
    std::string autostartFolder;
    /// The user's folders the desktop's own settings live in: $HOME (else the password
    /// database's), $XDG_CONFIG_HOME (else ~/.config), $XDG_DATA_HOME (else ~/.local/share).
    std::string homeFolder;
    std::string configHome;
    std::string dataHome;

    /// The paths as the environment and the program's folder give them. `home`, when not
    /// empty, is the data root as ORVANTA_HOME would give it (and takes its place).
    static ProgramPaths FromEnvironment(const std::string& home = {});

    /// The same rules over other variables: `variable` gives a variable's value (empty when
    /// unset), `programFolder` the program's folder, `userHome` the password database's home
    /// folder for when HOME is not set.
    static ProgramPaths FromVariables(const std::function<std::string(const char*)>& variable,
                                      const std::string& programFolder,
                                      const std::string& userHome);

    /// Everything in `folder`, as ORVANTA_HOME=folder, XDG_CONFIG_HOME=folder/config and
    /// XDG_DATA_HOME=folder/data give it: for tests, and for programs given a folder.
    static ProgramPaths InFolder(const std::string& folder);

    /// The folders the user chose for the program's files: the data root and the folder of
    /// the user hive. They may be symbolic links; nothing below them is followed.
    std::vector<std::string> ChosenRoots() const;

    /// Creates the data root (0700) when missing; false, with `error` set, when it cannot be
    /// made.
    bool EnsureDataRoot(std::string* error = nullptr) const;
};

}  // namespace ov
