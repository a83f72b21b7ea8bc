// orvanta: the tray program.
#include "app/monitor_app.h"
#include "app/ui/tray_application.h"
#include "platform/file_util.h"
#include "platform/paths.h"
#include "platform/ras/ras_providers.h"
#include "platform/registry/registry.h"
#include "sysint/autostart.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    // No options but these two: the program is started from the desktop.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: orvanta [--help | --version]\n"
                "The tray program: watches the dial-up connections from the "
                "notification area,\nlogs every call and shows the call list. "
                "A second start brings the running\ncopy forward. orvanta-cli is its "
                "command-line companion.\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("orvanta %s\n", OV_VERSION);
            return 0;
        }
    }
    (void)std::signal(SIGPIPE, SIG_IGN);

    ov::RegisterRasProviders();
    // Where the files are, once for the run: the registry and the file layer are told the
    // folders that are the user's; the Run value is kept in step with the desktop's autostart
    // files.
    const ov::ProgramPaths paths = ov::ProgramPaths::FromEnvironment();
    ov::UseChosenRoots(paths.ChosenRoots());
    ov::RegistryStore::UseDefaultPaths(paths);
    ov::UseDesktopAutostart(paths.autostartFolder);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvanta"));
    return ov::RunTrayProgram(paths, ov::MonitorPollPeriod(std::getenv("ORVANTA_POLL_MS")));
}
