// Stands in for orvanta-cli monitor run in a terminal, for the launcher tests: it leads a process
// group of its own, as a terminal's foreground job does, takes SIGINT as the monitor does,
// starts the programs named by its arguments as a connect does (none marked to end), prints
// each one's process id on a line, and ends at SIGINT.
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "launcher/connection_programs.h"

int main(int argc, char** argv) {
    if (::setpgid(0, 0) != 0) {
        return 1;
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::vector<ov::ProgramEntry> programs;
    for (int i = 1; i < argc; ++i) {
        programs.push_back({argv[i], 0, 0});
    }
    const ov::PathSearchAppPaths appPaths;
    ov::ProcessList processes("/proc", ov::MakeNullWindowList());
    ov::LauncherList launched;
    // With a report, the starts are over when this returns.
    ov::StartConnectionPrograms(programs, appPaths, processes, launched,
                                [](const ov::ProgramStartFailure&) {});
    for (const auto& launcher : launched) {
        std::printf("%d\n", static_cast<int>(launcher->ProcessId()));
    }
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
