#include <memory>

#include "cli/cli.h"
#include "platform/ras/ras_factory.h"
#include "platform/ras/ras_sim.h"
#include "platform/text_util.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli ras list\n"
    "       orvanta-cli ras entries\n"
    "       orvanta-cli ras devices\n"
    "       orvanta-cli ras dial ENTRY [STATE]\n"
    "       orvanta-cli ras state ENTRY STATE\n"
    "       orvanta-cli ras drop ENTRY\n"
    "       orvanta-cli ras fail ERROR [COUNT]\n"
    "       orvanta-cli ras add-entry NAME [DEVICE [USER]]\n"
    "       orvanta-cli ras add-device NAME TYPE\n"
    "       orvanta-cli ras reset\n"
    "Drives the simulated dial-up service. STATE is a number or one of opening (0),\n"
    "authenticate (5), connected (8192), disconnected (8193).\n";

int Run(Context& ctx, Args args);

const Command kCommand{"ras", "drive the simulated dial-up service", kUsage, Run};

std::optional<std::int32_t> ParseState(std::string_view text) {
    if (text == "opening") {
        return RASCS_OpenPort;
    }
    if (text == "authenticate") {
        return RASCS_Authenticate;
    }
    if (text == "connected") {
        return RASCS_Connected;
    }
    if (text == "disconnected") {
        return RASCS_Disconnected;
    }
    const auto n = ParseInteger(text);
    if (n && *n >= INT32_MIN && *n <= INT32_MAX) {
        return static_cast<std::int32_t>(*n);
    }
    return std::nullopt;
}

int BadState(Context& ctx, std::string_view text) {
    return Fail(ctx, "unknown state '" + std::string(text) +
                         "' (a number or one of opening, authenticate, connected, "
                         "disconnected)");
}

/// The outcome of a call on the service: 0 is success, anything else names the failure.
int Check(Context& ctx, std::uint32_t error, std::string_view what) {
    if (error == ERROR_SUCCESS) {
        return kExitOk;
    }
    return Fail(ctx, std::string(what) + ": " + RasErrorText(error));
}

int Run(Context& ctx, Args args) {
    if (args.empty()) {
        return UsageError(ctx, kCommand);
    }
    std::string error;
    auto provider = MakeRasProvider([&ctx](const std::string& message) { Fail(ctx, message); },
                                    ctx.paths.simulatorState, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    auto* sim = dynamic_cast<SimRasProvider*>(provider.get());
    if (!sim) {
        return Fail(ctx, "the ras commands drive the simulated dial-up service, and the " +
                             provider->Name() + " is in use (set ORVANTA_RAS=sim)");
    }

    const std::string& verb = args[0];
    const auto rest = args.subspan(1);
    auto arity = [&](std::size_t least, std::size_t most) {
        return rest.size() >= least && rest.size() <= most;
    };

    if (verb == "list" && arity(0, 0)) {
        const auto state = sim->Snapshot();
        if (!state) {
            return Fail(ctx, "the simulator state cannot be read");
        }
        for (const auto& c : state->connections) {
            WriteLine(ctx, {std::to_string(c.handle), c.entry, c.device, std::to_string(c.state)});
        }
        return kExitOk;
    }
    if (verb == "entries" && arity(0, 0)) {
        std::vector<std::string> entries;
        if (const int rc = Check(ctx, sim->EnumEntries(entries), "ras entries")) {
            return rc;
        }
        for (const auto& name : entries) {
            WriteLine(ctx, {name});
        }
        return kExitOk;
    }
    if (verb == "devices" && arity(0, 0)) {
        std::vector<RasDevice> devices;
        if (const int rc = Check(ctx, sim->EnumDevices(devices), "ras devices")) {
            return rc;
        }
        for (const auto& d : devices) {
            WriteLine(ctx, {d.name, d.type});
        }
        return kExitOk;
    }
    if (verb == "dial" && arity(1, 2)) {
        const auto state = rest.size() == 2 ? ParseState(rest[1]) : RASCS_OpenPort;
        if (!state) {
            return BadState(ctx, rest[1]);
        }
        HRASCONN handle = 0;
        if (const int rc = Check(ctx, sim->Dial(rest[0], *state, handle), rest[0])) {
            return rc;
        }
        WriteLine(ctx, {std::to_string(handle)});
        return kExitOk;
    }
    if (verb == "state" && arity(2, 2)) {
        const auto state = ParseState(rest[1]);
        if (!state) {
            return BadState(ctx, rest[1]);
        }
        return Check(ctx, sim->SetState(rest[0], *state), rest[0]);
    }
    if (verb == "drop" && arity(1, 1)) {
        return Check(ctx, sim->Drop(rest[0]), rest[0]);
    }
    if (verb == "fail" && arity(1, 2)) {
        const auto code = ParseInteger(rest[0]);
        const auto count = rest.size() == 2 ? ParseInteger(rest[1]) : std::optional<long long>(1);
        if (!code || *code <= 0 || *code > UINT32_MAX) {
            return Fail(ctx, "ERROR must be a positive error number, not '" + rest[0] + "'");
        }
        if (!count || *count < 0 || *count > UINT32_MAX) {
            return Fail(ctx, "COUNT must be a number of enumerations, not '" + rest[1] + "'");
        }
        return Check(
            ctx, sim->Fail(static_cast<std::uint32_t>(*code), static_cast<std::uint32_t>(*count)),
            "ras fail");
    }
    if (verb == "add-entry" && arity(1, 3)) {
        const std::string device = rest.size() > 1 ? rest[1] : std::string();
        const std::string user = rest.size() > 2 ? rest[2] : std::string();
        return Check(ctx, sim->AddEntry(rest[0], device, user), rest[0]);
    }
    if (verb == "add-device" && arity(2, 2)) {
        return Check(ctx, sim->AddDevice(rest[0], rest[1]), rest[0]);
    }
    if (verb == "reset" && arity(0, 0)) {
        return Check(ctx, sim->Reset(), "ras reset");
    }
    return UsageError(ctx, kCommand);
}

}  // namespace

const Command& RasCommand() {
    return kCommand;
}

}  // namespace ov::cli
