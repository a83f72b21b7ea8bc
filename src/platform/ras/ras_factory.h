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
    std::string simFile;  // empty: `ras-sim.state` in the data root
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
/// system bus; the simulator otherwise. `report` receives the simulator's messages about a
/// damaged state file. Nothing, with the reason in `error`, when the choice cannot be made.
std::unique_ptr<RasProvider> MakeRasProvider(std::function<void(const std::string&)> report,
                                             std::string* error = nullptr);

/// The simulator's state file for a choice: its own file, or `ras-sim.state` in the data root.
std::string SimStateFile(const RasChoice& choice);

}  // namespace ov
