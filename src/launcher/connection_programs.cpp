#include "launcher/connection_programs.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "launcher/program_command.h"

namespace ov {

namespace {

/// How long the starts at a connect may take to say whether they worked. A start returns as
/// soon as the system has loaded the program or refused it, so this is only a bound.
constexpr std::chrono::milliseconds kStartOutcomeWait{2000};

/// Reports the launchers from `first` on whose program could not be started.
void ReportStartFailures(const LauncherList& launchedPrograms, std::size_t first,
                         const std::vector<std::string>& texts, const StartFailureReport& report) {
    const auto deadline = std::chrono::steady_clock::now() + kStartOutcomeWait;
    for (std::size_t i = first; i < launchedPrograms.size(); ++i) {
        const ProgramLauncher& launcher = *launchedPrograms[i];
        if (launcher.CommandLine().empty()) {
            report({texts[i - first], "not found in the search path"});
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto error = launcher.StartError(std::max(left, std::chrono::milliseconds(0)));
        if (error && *error != 0) {
            report({launcher.CommandLine(), StartFailureReason(launcher.CommandLine(), *error)});
        }
    }
}

}  // namespace

void StartConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             ProcessList& processes, LauncherList& launchedPrograms,
                             const StartFailureReport& report) {
    processes.Refresh();
    std::size_t first = launchedPrograms.size();
    std::vector<std::string> texts;  // the configured text of each launcher made here
    for (const ProgramEntry& entry : programs) {
        ProgramCommand command = ParseProgramCommand(entry.path, appPaths);
        if (processes.IsRunning(command.path)) {
            continue;  // not ours: it is neither started again nor ended at disconnect
        }
        try {
            launchedPrograms.push_back(std::make_unique<ProgramLauncher>(
                nullptr, std::move(command.path), 0, false, ShowCommandForStyle(entry.style),
                std::move(command.arguments)));
            texts.push_back(entry.path);
        } catch (const std::bad_alloc&) {
            launchedPrograms.clear();
            texts.clear();
            first = 0;
        }
    }
    if (report) {
        ReportStartFailures(launchedPrograms, first, texts, report);
    }
}

void CloseConnectionPrograms(const std::vector<ProgramEntry>& programs, const AppPaths& appPaths,
                             LauncherList& launchedPrograms) {
    for (const ProgramEntry& entry : programs) {
        if (entry.exit == 0) {
            continue;
        }
        const ProgramCommand command = ParseProgramCommand(entry.path, appPaths);
        // The first launcher of this program that still runs it: after a second connect the
        // list may hold an earlier launcher whose program the user has closed meanwhile.
        for (const auto& launcher : launchedPrograms) {
            if (launcher->CommandLine() == command.path &&
                launcher->Arguments() == command.arguments && launcher->HasProcess()) {
                launcher->Close();
                break;
            }
        }
    }
    launchedPrograms.clear();
}

}  // namespace ov
