#include <array>

#include "cli/cli.h"

namespace ov::cli {

std::span<const Command> Commands() {
    // One command a line, in the order of the overview.
    // clang-format off
    static const std::array kCommands{
        RegCommand(),
        LogCommand(),
        PriceCommand(),
        TariffCommand(),
        CallsCommand(),
        RasCommand(),
        ConnectionsCommand(),
        HangUpCommand(),
        MonitorCommand(),
    };
    // clang-format on
    return kCommands;
}

}  // namespace ov::cli
