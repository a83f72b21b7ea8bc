#include "launcher/connection_programs.h"

#include <new>

namespace ov {

void StartConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             ProcessList& processes, LauncherList& launchedPrograms) {
    processes.Refresh();
    for (const ProgramEntry& entry : programs) {
        std::string path = ResolveProgramPath(entry.path, appPaths);
        if (processes.IsRunning(path)) {
            continue;  // not ours: it is neither started again nor ended at disconnect
        }
        try {
            launchedPrograms.push_back(std::make_unique<ProgramLauncher>(
                nullptr, std::move(path), 0, false, ShowCommandForStyle(entry.style)));
        } catch (const std::bad_alloc&) {
            launchedPrograms.clear();
        }
    }
}

void CloseConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             LauncherList& launchedPrograms) {
    for (const ProgramEntry& entry : programs) {
        if (entry.exit == 0) {
            continue;
        }
        const std::string path = ResolveProgramPath(entry.path, appPaths);
        // The first launcher of this program that still runs it: after a second connect the
        // list may hold an earlier launcher whose program the user has closed meanwhile.
        for (const auto& launcher : launchedPrograms) {
            if (launcher->CommandLine() == path && launcher->HasProcess()) {
                launcher->Close();
                break;
            }
        }
    }
    launchedPrograms.clear();
}

}  // namespace ov
