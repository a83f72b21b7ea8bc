#include <cstdio>
#include <vector>

#include "app/startup_settings.h"
#include "cli/cli.h"
#include "platform/file_util.h"
#include "tariff/tariff_file.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli tariff file [FILE]\n"
    "       orvanta-cli tariff show\n"
    "file: reads the tariff file (default: Prices.ini in the data root) as the program reads it\n"
    "and prints the library as the program would write the file.\n"
    "show: the settings' tariff as one block of the tariff file, then CurrDecName TAB n.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"tariff", "read the tariff file and show the settings' tariff", kUsage, Run};

/// Tariff file text goes out byte for byte, CR LF line ends included.
void WriteRaw(Context& ctx, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), ctx.out);
    std::fflush(ctx.out);
}

int Run(Context& ctx, Args args) {
    if (!args.empty() && args[0] == "file" && args.size() <= 2) {
        const std::string path = args.size() == 2 ? args[1] : ctx.paths.tariffFile;
        std::string error;
        auto text = ReadWholeFile(path, &error);
        if (!text) {
            return Fail(ctx, error.empty() ? "cannot read " + path : error);
        }
        std::vector<Tariff> library;
        if (!text->empty()) {
            ParseTariffText(std::move(*text), library);
        }
        WriteRaw(ctx, TariffFileText(library));
        return kExitOk;
    }
    if (args.size() == 1 && args[0] == "show") {
        const auto settings = LoadStartupSettings(BuiltInEnglishTexts(), ctx.paths.tariffFile);
        WriteRaw(ctx, TariffFileText({settings->CurrentTariff}));
        WriteLine(ctx, {"CurrDecName", std::to_string(settings->CurrentTariff.CurrDecName)});
        return kExitOk;
    }
    return UsageError(ctx, kCommand);
}

}  // namespace

const Command& TariffCommand() {
    return kCommand;
}

}  // namespace ov::cli
