#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ras/ras_provider.h"

namespace ov {

/// Which dial-up service ORVANTA_RAS asks for: `nm`, `sim`, `sim:FILE`, or unset (auto).
struct RasChoice {
    enum class Kind { Auto, NetworkManager, Simulator };
    Kind kind = Kind::Auto;
    std::string simFile;  // empty: the program's simulator state (ProgramPaths::simulatorState)
};

/// Reads ORVANTA_RAS; nothing, with the reason in `error`, for a value it does not know.
std::optional<RasChoice> RasChoiceFromEnvironment(std::string* error = nullptr);

/// The NetworkManager provider lives in a D-Bus library above the platform layer; a program
/// that links it registers it here. `available` tells whether NetworkManager is on the bus.
struct NetworkManagerBackend {
    std::function<bool()> available;
    std::function<std::unique_ptr<RasProvider>(std::string* error)> make;
};
void RegisterNetworkManagerBackend(NetworkManagerBackend backend);

/// The provider ORVANTA_RAS chooses: NetworkManager when asked for or, unset, when it is on the
/// system bus; the simulator otherwise, over its own state file or `simulatorState`
/// (ProgramPaths::simulatorState). `report` receives the simulator's messages about a damaged state
/// file. Nothing, with the reason in `error`, when the choice cannot be made.
std::unique_ptr<RasProvider> MakeRasProvider(std::function<void(const std::string&)> report,
                                             const std::string& simulatorState,
                                             std::string* error = nullptr);

/// The simulator's state file for a choice: its own file, or `simulatorState`.
std::string SimStateFile(const RasChoice& choice, const std::string& simulatorState);

}  // namespace ov
