#include "platform/ras/ras_factory.h"

#include <cstdlib>
#include <mutex>

#include "platform/file_util.h"
#include "platform/ras/ras_sim.h"

namespace ov {

namespace {

std::mutex g_backendMutex;
NetworkManagerBackend& Backend() {
    static NetworkManagerBackend backend;
    return backend;
}

}  // namespace

std::optional<RasChoice> RasChoiceFromEnvironment(std::string* error) {
    const char* raw = std::getenv("ORVANTA_RAS");
    const std::string value = raw ? raw : "";
    RasChoice choice;
    if (value.empty()) {
        return choice;
    }
    if (value == "nm") {
        choice.kind = RasChoice::Kind::NetworkManager;
        return choice;
    }
    if (value == "sim") {
        choice.kind = RasChoice::Kind::Simulator;
        return choice;
    }
    if (value.rfind("sim:", 0) == 0 && value.size() > 4) {
        choice.kind = RasChoice::Kind::Simulator;
        choice.simFile = value.substr(4);
        return choice;
    }
    if (error) {
        *error = "ORVANTA_RAS=" + value + " is not one of nm, sim, sim:FILE";
    }
    return std::nullopt;
}

void RegisterNetworkManagerBackend(NetworkManagerBackend backend) {
    std::lock_guard lock(g_backendMutex);
    Backend() = std::move(backend);
}

std::string SimStateFile(const RasChoice& choice, const std::string& simulatorState) {
    return choice.simFile.empty() ? simulatorState : choice.simFile;
}

std::unique_ptr<RasProvider> MakeRasProvider(std::function<void(const std::string&)> report,
                                             const std::string& simulatorState,
                                             std::string* error) {
    const auto choice = RasChoiceFromEnvironment(error);
    if (!choice) {
        return nullptr;
    }
    NetworkManagerBackend backend;
    {
        std::lock_guard lock(g_backendMutex);
        backend = Backend();
    }
    const bool wantNm =
        choice->kind == RasChoice::Kind::NetworkManager ||
        (choice->kind == RasChoice::Kind::Auto && backend.available && backend.available());
    if (wantNm) {
        if (!backend.make) {
            if (error) {
                *error = "this build has no NetworkManager support";
            }
            return nullptr;
        }
        return backend.make(error);
    }
    const std::string file = SimStateFile(*choice, simulatorState);
    if (!EnsureFolder(ParentFolder(file), error)) {
        return nullptr;
    }
    return std::make_unique<SimRasProvider>(file, std::move(report));
}

}  // namespace ov
