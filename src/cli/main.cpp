// orvanta-cli: the command-line companion of the tray program.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/monitor_app.h"
#include "cli/cli.h"
#include "platform/file_util.h"
#include "platform/ras/ras_providers.h"
#include "platform/registry/registry.h"
#include "sysint/autostart.h"

namespace {

using ov::cli::Commands;

void PrintOverview(std::FILE* to) {
    std::fprintf(to,
                 "usage: orvanta-cli [--home DIR] COMMAND [ARGUMENTS]\n"
                 "       orvanta-cli --help | --version | COMMAND --help\n\n"
                 "--home DIR  the data root (as ORVANTA_HOME)\n\ncommands:\n");
    for (const auto& command : Commands()) {
        std::fprintf(to, "  %-10.*s %.*s\n", static_cast<int>(command.name.size()),
                     command.name.data(), static_cast<int>(command.summary.size()),
                     command.summary.data());
    }
}

}  // namespace

int main(int argc, char** argv) {
    ov::RegisterRasProviders();
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t next = 0;
    std::string home;
    while (next < args.size() && args[next].rfind("--", 0) == 0) {
        const std::string& option = args[next];
        if (option == "--help") {
            PrintOverview(stdout);
            return ov::cli::kExitOk;
        }
        if (option == "--version") {
            std::printf("orvanta-cli %s\n", OV_VERSION);
            return ov::cli::kExitOk;
        }
        if (option == "--home" && next + 1 < args.size() && !args[next + 1].empty()) {
            home = args[next + 1];
            next += 2;
            continue;
        }
        std::fprintf(stderr, "orvanta-cli: unknown option '%s'\n", option.c_str());
        PrintOverview(stderr);
        return ov::cli::kExitUsage;
    }
    if (next == args.size()) {
        PrintOverview(stderr);
        return ov::cli::kExitUsage;
    }
    // Where the files are, once for the run: every command is handed these paths, and the
    // registry and the file layer are told the folders that are the user's.
    ov::cli::Context ctx;
    ctx.paths = ov::ProgramPaths::FromEnvironment(home);
    ctx.pollPeriod = ov::MonitorPollPeriod(std::getenv("ORVANTA_POLL_MS"));
    ov::UseChosenRoots(ctx.paths.ChosenRoots());
    ov::RegistryStore::UseDefaultPaths(ctx.paths);
    ov::UseDesktopAutostart(ctx.paths.autostartFolder);
    for (const auto& command : Commands()) {
        if (command.name != args[next]) {
            continue;
        }
        const std::span<const std::string> rest(args.data() + next + 1, args.size() - next - 1);
        if (rest.size() == 1 && rest[0] == "--help") {
            std::fprintf(stdout, "%.*s", static_cast<int>(command.usage.size()),
                         command.usage.data());
            return ov::cli::kExitOk;
        }
        return command.run(ctx, rest);
    }
    std::fprintf(stderr, "orvanta-cli: unknown command '%s'\n", args[next].c_str());
    PrintOverview(stderr);
    return ov::cli::kExitUsage;
}
