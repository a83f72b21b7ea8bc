#include <array>

#include "cli/cli.h"

namespace ov::cli {

std::span<const Command> Commands() {
    static const std::array kCommands{
        RegCommand(),
        LogCommand(),
        PriceCommand(),
        TariffCommand(),
        RasCommand(),
        MonitorCommand(),
    };
    return kCommands;
}

}  // namespace ov::cli
