#include <memory>

#include "app/startup_settings.h"
#include "cli/cli.h"
#include "monitor/hang_up.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"
#include "sysint/ras_library.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli hangup [ENTRY] [--yes]\n"
    "Hangs up every connection, or ENTRY's, as the program does. Without --yes it asks before\n"
    "each one; y or yes (in any case) goes on, any other answer stops. An ENTRY that is not\n"
    "known or not connected, or a hang-up the service refuses, is an error.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"hangup", "hang up connections", kUsage, Run};

/// The question on the terminal: the prompt on standard error, the answer a line of input.
class TerminalQuestion final : public HangUpQuestion {
public:
    explicit TerminalQuestion(Context& ctx) : m_ctx(ctx) {}

    int Ask(const std::string& /*text*/, const std::string& entryName) override {
        std::fprintf(m_ctx.err, "%s: hang up? [y/N] ", entryName.c_str());
        std::fflush(m_ctx.err);
        std::string answer;
        for (int c = std::fgetc(m_ctx.in); c != EOF && c != '\n'; c = std::fgetc(m_ctx.in)) {
            answer += static_cast<char>(c);
        }
        const auto first = answer.find_first_not_of(" \t\r");
        const auto last = answer.find_last_not_of(" \t\r");
        answer =
            first == std::string::npos ? std::string() : answer.substr(first, last - first + 1);
        return EqualsIgnoreCase(answer, "y") || EqualsIgnoreCase(answer, "yes") ? IDYES : IDNO;
    }

private:
    Context& m_ctx;
};

int Run(Context& ctx, Args args) {
    bool yes = false;
    std::optional<std::string> entry;
    for (const auto& arg : args) {
        if (arg == "--yes") {
            yes = true;
        } else if (!arg.empty() && arg.front() == '-' && arg != "-") {
            return UsageError(ctx, kCommand, "unknown option " + arg);
        } else if (!entry) {
            entry = arg;
        } else {
            return UsageError(ctx, kCommand);
        }
    }
    std::string error;
    auto provider = MakeRasProvider([&ctx](const std::string& message) { Fail(ctx, message); },
                                    ctx.paths.simulatorState, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    // Only calls are hung up, by the stored choice of which connections are calls.
    provider->SetCallRule(
        LoadStartupSettings(BuiltInEnglishTexts(), ctx.paths.tariffFile)->CallRuleSetting());
    RasApi api(*provider);
    RasLibrary library(&api);
    // The entry list as the program has it: the phone book first, then the connections.
    library.Load();

    TerminalQuestion question(ctx);
    const FixedTextSource noTexts;  // the terminal asks in its own words
    const HangUpAsker asker{question, noTexts};
    bool refused = false;
    const auto report = [&ctx, &refused](const std::string& name, std::uint32_t result) {
        if (result == ERROR_SUCCESS) {
            WriteLine(ctx, {name, "hung-up"});
        } else {
            refused = true;
            Fail(ctx, name + ": the hang-up failed: " + RasErrorText(result));
        }
    };
    HangUpMatches matches;
    const bool listed =
        entry ? HangUpEveryEntryNamed(&library, *entry, !yes, &asker, report, &matches)
              : HangUpAll(&library, !yes, &asker, report);
    if (!listed) {
        return Fail(ctx, "the connections cannot be listed");
    }
    if (entry && matches.known == 0) {
        return Fail(ctx, *entry + ": no such entry");
    }
    if (entry && matches.connected == 0) {
        return Fail(ctx, *entry + ": not connected");
    }
    return refused ? kExitFailure : kExitOk;
}

}  // namespace

const Command& HangUpCommand() {
    return kCommand;
}

}  // namespace ov::cli
