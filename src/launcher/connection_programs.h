#pragma once

#include <memory>
#include <string>
#include <vector>

#include "launcher/app_paths.h"
#include "launcher/process_list.h"
#include "launcher/program_launcher.h"
#include "settings/program_entry.h"

namespace ov {

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
