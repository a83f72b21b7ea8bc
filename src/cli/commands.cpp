#include <array>

#include "cli/cli.h"

namespace ov::cli {

std::span<const Command> Commands() {
    static const std::array kCommands{
        RegCommand(),
        LogCommand(),
        RasCommand(),
        MonitorCommand(),
    };
    return kCommands;
}

}  // namespace ov::cli
