#pragma once

#include <functional>
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

/// A configured program that could not be started at a connect.
struct ProgramStartFailure {
    std::string path;    // the file tried, or the configured text when it names no file
    std::string reason;  // in words for the user, such as "no such file"

    bool operator==(const ProgramStartFailure&) const = default;
};

/// Told of each program that cannot be started, on the calling thread.
using StartFailureReport = std::function<void(const ProgramStartFailure&)>;

/// On a connection coming up: starts every program of `programs` that is not running yet and
/// appends its launcher to `launchedPrograms`; each program's text is read by
/// ParseProgramCommand. Does not wait for any program to end; with `report` set, it waits for
/// the starts themselves (moments) and reports each program that cannot be started, in list
/// order.
void StartConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             ProcessList& processes, LauncherList& launchedPrograms,
                             const StartFailureReport& report = {});

/// On a connection ending: ends the programs marked to end that were started by
/// StartConnectionPrograms and still run, then lets go of every launcher. Programs not marked
/// keep running.
void CloseConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             LauncherList& launchedPrograms);

}  // namespace ov
