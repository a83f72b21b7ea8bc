#pragma once

#include <memory>
#include <string>
#include <vector>

#include "launcher/app_paths.h"
#include "launcher/process_list.h"
#include "launcher/program_launcher.h"

namespace ov {

/// One program of the settings' list of programs started on connect.
struct ProgramEntry {
    std::string path;  // a full path, or the bare name of a registered application
    int style = 1;     // its window: 0 normal, 1 minimised, 2 maximised
    int exit = 0;      // 1: end the program when the connection ends
};

/// The launchers made at connect, in order; the window thread owns them for the whole run.
using LauncherList = std::vector<std::unique_ptr<ProgramLauncher>>;

/// On a connection coming up: starts every program of `programs` that is not running yet and
/// appends its launcher to `launchedPrograms`. Does not wait for any program.
void StartConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             ProcessList& processes, LauncherList& launchedPrograms);

/// On a connection ending: ends the programs marked to end that were started by
/// StartConnectionPrograms and still run, then lets go of every launcher. Programs not marked
/// keep running.
void CloseConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             LauncherList& launchedPrograms);

}  // namespace ov
