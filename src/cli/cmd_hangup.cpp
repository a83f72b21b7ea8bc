#include <memory>

#include "cli/cli.h"
#include "cli/startup_settings.h"
#include "monitor/hang_up.h"
#include "platform/ras/ras_factory.h"
#include "sysint/ras_library.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli hangup [ENTRY] [--yes]\n"
    "Hangs up every connection, or ENTRY's, as the program does. Without --yes it asks before\n"
    "each one; any answer but y stops.\n";

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
        return answer == "y" ? IDYES : IDNO;
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
    auto provider =
        MakeRasProvider([&ctx](const std::string& message) { Fail(ctx, message); }, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    // Only calls are hung up, by the stored choice of which connections are calls.
    provider->SetCallRule(LoadStartupSettings(SettingsTexts())->CallRuleSetting());
    RasApi api(*provider);
    RasLibrary library(&api);
    // The entry list as the program has it: the phone book first, then the connections.
    library.Load();

    TerminalQuestion question(ctx);
    const FixedTextSource noTexts;  // the terminal asks in its own words
    const HangUpAsker asker{question, noTexts};
    bool refused = false;
    bool reported = false;
    const auto report = [&](const std::string& name, std::uint32_t result) {
        reported = true;
        if (result == ERROR_SUCCESS) {
            WriteLine(ctx, {name, "hung-up"});
        } else {
            refused = true;
            Fail(ctx, name + ": the hang-up failed: " + RasErrorText(result));
        }
    };
    const bool listed = entry ? HangUpEntry(&library, *entry, !yes, &asker, report)
                              : HangUpAll(&library, !yes, &asker, report);
    if (!listed) {
        return Fail(ctx, "the connections cannot be listed");
    }
    if (entry && !reported) {
        // Asked and answered no: the user's choice. Not connected at all: a failure.
        const PhoneBookEntry* found = library.FindEntry(*entry);
        if (!found || found->Connection() == 0) {
            return Fail(ctx, *entry + " is not connected");
        }
    }
    return refused ? kExitFailure : kExitOk;
}

}  // namespace

const Command& HangUpCommand() {
    return kCommand;
}

}  // namespace ov::cli
