#include <memory>

#include "app/startup_settings.h"
#include "cli/cli.h"
#include "platform/ras/ras_factory.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli connections\n"
    "Lists the active connections of the dial-up service, one a line:\n"
    "ENTRY<TAB>TYPE<TAB>DEVICE<TAB>STATE<TAB>COUNTED, COUNTED being \"call\" or \"ignored: "
    "REASON\"\n"
    "by the stored choice of which connections are calls (CallConnections).\n";

int Run(Context& ctx, Args args);

const Command kCommand{"connections", "list the active connections and which are calls", kUsage,
                       Run};

int Run(Context& ctx, Args args) {
    if (!args.empty()) {
        return UsageError(ctx, kCommand);
    }
    const std::unique_ptr<Settings> settings =
        LoadStartupSettings(BuiltInEnglishTexts(), ctx.paths.tariffFile);
    std::string error;
    auto provider = MakeRasProvider([&ctx](const std::string& message) { Fail(ctx, message); },
                                    ctx.paths.simulatorState, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    provider->SetCallRule(settings->CallRuleSetting());
    std::vector<ActiveConnection> connections;
    if (const std::uint32_t result = provider->EnumActiveConnections(connections)) {
        return Fail(ctx, "the connections cannot be listed: " + RasErrorText(result));
    }
    for (const auto& [c, whyNot] : connections) {
        WriteLine(ctx, {c.entryName, c.deviceType, c.deviceName, std::to_string(c.state),
                        whyNot.empty() ? std::string("call") : "ignored: " + whyNot});
    }
    return kExitOk;
}

}  // namespace

const Command& ConnectionsCommand() {
    return kCommand;
}

}  // namespace ov::cli
