#include "app/startup_settings.h"
#include "cli/cli.h"
#include "platform/text_util.h"
#include "tariff/day_band.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli price START SECONDS\n"
    "The price of a call starting at START (seconds since 1970 or YYYY-MM-DD HH:MM:SS in\n"
    "local time) and lasting SECONDS, by the settings' tariff: PRICE TAB BITS.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"price", "price a call by the settings' tariff", kUsage, Run};

int Run(Context& ctx, Args args) {
    if (args.size() != 2) {
        return UsageError(ctx, kCommand);
    }
    const auto start = ParseTime(args[0]);
    if (!start) {
        return UsageError(ctx, kCommand, "'" + args[0] + "' is not a time");
    }
    const auto seconds = ParseInteger(args[1]);
    if (!seconds || *seconds < 0 || *seconds > INT32_MAX) {
        return UsageError(ctx, kCommand, "'" + args[1] + "' is not a number of seconds");
    }
    const auto settings = LoadStartupSettings(BuiltInEnglishTexts(), ctx.paths.tariffFile);
    const float price =
        PriceOfCall(settings->CurrentTariff, *start, static_cast<std::int32_t>(*seconds));
    WriteLine(ctx, {PriceText(price), PriceBits(price)});
    return kExitOk;
}

}  // namespace

const Command& PriceCommand() {
    return kCommand;
}

}  // namespace ov::cli
