#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/startup_settings.h"
#include "calllog/call_log_file.h"
#include "cli/calls_report.h"
#include "cli/cli.h"
#include "platform/file_util.h"
#include "viewer/call_export.h"
#include "viewer/call_list.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli calls list [FILTER]\n"
    "       orvanta-cli calls export FILE [--format text|csv|json] [FILTER]\n"
    "       orvanta-cli calls report FILE.pdf [FILTER]\n"
    "       orvanta-cli calls sums [FILTER]\n"
    "list: the lines of the call list's text export;\n"
    "export: the export written to FILE (mode 0600): text (the default) as the program writes\n"
    "  it; csv (RFC 4180, a header row) or json (an array of objects): the same rows with raw\n"
    "  values (kind number, ISO 8601 local start with its offset, seconds, price, texts);\n"
    "report: the printed report as a PDF, with the stored page settings;\n"
    "sums: ID TAB TEXT of the nine sums as the form view shows them.\n"
    "FILTER (the call list is loaded as the program loads it under that filter):\n"
    "  --month YYYY-MM | --all-months (default) | --month-sums\n"
    "  --user TEXT, --entry TEXT, --device-name TEXT, --device-type TEXT: exact match\n"
    "  --kinds LIST     shown record kinds, a comma list from 0, 1, 3, 4\n"
    "  --columns LIST   columns after the kind column, a comma list of ids 1-8\n"
    "  --lang LANGID    the language pack for the texts\n";

int Run(Context& ctx, Args args);

const Command kCommand{"calls", "list, export, print and sum the call list", kUsage, Run};

/// The filter and view options of the command line; what is not given comes from the settings.
struct Options {
    MonthItem month{kMonthAll, 0, 0};
    std::optional<std::string> user, entry, deviceName, deviceType;
    std::optional<std::vector<int>> kinds;
    std::optional<std::vector<int>> columns;
    std::optional<LangId> lang;
    ExportFormat format = ExportFormat::Text;  // export only
};

/// A comma list of small numbers, each one of `allowed`; nothing when one is not. An empty
/// text is the empty list.
std::optional<std::vector<int>> ParseNumberList(std::string_view text,
                                                std::initializer_list<int> allowed) {
    std::vector<int> numbers;
    if (text.empty()) {
        return numbers;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = text.substr(start, comma - start);
        if (item.size() != 1 ||
            std::find(allowed.begin(), allowed.end(), item[0] - '0') == allowed.end()) {
            return std::nullopt;
        }
        numbers.push_back(item[0] - '0');
        if (comma == std::string_view::npos) {
            return numbers;
        }
        start = comma + 1;
    }
}

/// "YYYY-MM" as a month item of one month.
std::optional<MonthItem> ParseMonth(std::string_view text) {
    auto digits = [](std::string_view s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (text.size() != 7 || text[4] != '-' || !digits(text.substr(0, 4)) ||
        !digits(text.substr(5, 2))) {
        return std::nullopt;
    }
    const int year = std::stoi(std::string(text.substr(0, 4)));
    const int month = std::stoi(std::string(text.substr(5, 2)));
    if (year < 1 || month < 1 || month > 12) {
        return std::nullopt;
    }
    return MonthItem{kMonthOne, static_cast<std::uint8_t>(month - 1),
                     static_cast<std::int16_t>(year)};
}

/// The index of the month item the filter asks for, added to the list (not stored) when the
/// settings have none such.
int MonthIndex(MonthList& months, const MonthItem& wanted) {
    for (std::size_t i = 0; i < months.items.size(); ++i) {
        const MonthItem& item = months.items[i];
        if (item.kind == wanted.kind && (wanted.kind != kMonthOne || (item.month == wanted.month &&
                                                                      item.year == wanted.year))) {
            return static_cast<int>(i);
        }
    }
    months.items.push_back(wanted);
    return static_cast<int>(months.items.size() - 1);
}

/// The index of an exact text in a list after its all-entry (0 without a text), added to the
/// list (not stored) when missing, so that even a text equal to the all-entry matches itself.
int TextIndex(TextList& list, const std::optional<std::string>& text) {
    if (!text) {
        return 0;
    }
    for (std::size_t i = 1; i < list.items.size(); ++i) {
        if (list.items[i] == *text) {
            return static_cast<int>(i);
        }
    }
    list.items.push_back(*text);
    return static_cast<int>(list.items.size() - 1);
}

/// Parses FILTER (and --format when `exporting`); on a bad option prints the usage and gives
/// kExitUsage in `status`.
std::optional<Options> ParseFilter(Context& ctx, Args args, bool exporting, int& status) {
    Options options;
    auto bad = [&](const std::string& why) {
        status = UsageError(ctx, kCommand, why);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--all-months") {
            options.month = {kMonthAll, 0, 0};
            continue;
        }
        if (option == "--month-sums") {
            options.month = {kMonthSums, 0, 0};
            continue;
        }
        static constexpr std::string_view kValued[] = {"--month",       "--user",        "--entry",
                                                       "--device-name", "--device-type", "--kinds",
                                                       "--columns",     "--lang"};
        const bool format = exporting && option == "--format";
        if (!format &&
            std::find(std::begin(kValued), std::end(kValued), option) == std::end(kValued)) {
            return bad("unknown option '" + option + "'");
        }
        if (i + 1 >= args.size()) {
            return bad(option + " needs a value");
        }
        const std::string& value = args[++i];
        if (format) {
            const auto parsed = ParseExportFormat(value);
            if (!parsed) {
                return bad("'" + value + "' is not an export format: text, csv or json");
            }
            options.format = *parsed;
        } else if (option == "--month") {
            const auto month = ParseMonth(value);
            if (!month) {
                return bad("'" + value + "' is not a month YYYY-MM");
            }
            options.month = *month;
        } else if (option == "--user") {
            options.user = value;
        } else if (option == "--entry") {
            options.entry = value;
        } else if (option == "--device-name") {
            options.deviceName = value;
        } else if (option == "--device-type") {
            options.deviceType = value;
        } else if (option == "--kinds") {
            options.kinds = ParseNumberList(value, {0, 1, 3, 4});
            if (!options.kinds) {
                return bad("'" + value + "' is not a list of kinds from 0, 1, 3, 4");
            }
        } else if (option == "--columns") {
            options.columns = ParseNumberList(value, {1, 2, 3, 4, 5, 6, 7, 8});
            if (!options.columns) {
                return bad("'" + value + "' is not a list of column ids 1-8");
            }
        } else {
            options.lang = ParseLangId(value);
            if (!options.lang) {
                return bad("'" + value + "' is not a language identifier");
            }
        }
    }
    return options;
}

/// The settings' view of the options: kinds and columns replaced when given.
void ApplyView(Settings& settings, const Options& options) {
    if (options.kinds) {
        auto shown = [&](int kind) {
            return std::find(options.kinds->begin(), options.kinds->end(), kind) !=
                           options.kinds->end()
                       ? 1
                       : 0;
        };
        settings.ShowConnEvnt = shown(KindConnected);
        settings.ShowDiscEvnt = shown(KindUnconnected);
        settings.ShowStartMon = shown(KindMonitorStart);
        settings.ShowStopMon = shown(KindMonitorStop);
    }
    if (options.columns) {
        settings.Columns.fill(0);
        settings.Columns[ColKind] = 1;
        for (const int id : *options.columns) {
            settings.Columns[static_cast<std::size_t>(id)] = 1;
        }
    }
}

/// True when `path` names an entry of `folder` (the same folder, whatever the path says).
bool InFolder(const std::string& path, const std::string& folder) {
    struct stat parent {};
    struct stat wanted {};
    return ::stat(ParentFolder(path).c_str(), &parent) == 0 &&
           ::stat(folder.c_str(), &wanted) == 0 && parent.st_dev == wanted.st_dev &&
           parent.st_ino == wanted.st_ino;
}

/// The text export to standard output, streamed as it is made.
void WriteList(Context& ctx, const CallList& list) {
    ExportStream out([&ctx](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), ctx.out) == bytes.size();
    });
    WriteCallExport(list, ExportFormat::Text, out);
    out.Flush();
    std::fflush(ctx.out);
}

int Run(Context& ctx, Args args) {
    if (args.empty()) {
        return UsageError(ctx, kCommand);
    }
    const std::string& action = args[0];
    std::size_t first = 1;
    std::string exportPath;
    if (action == "export" || action == "report") {
        if (args.size() < 2) {
            return UsageError(ctx, kCommand, action + " needs a FILE");
        }
        exportPath = args[1];
        first = 2;
    } else if (action != "list" && action != "sums") {
        return UsageError(ctx, kCommand);
    }
    int status = kExitOk;
    const auto options = ParseFilter(ctx, args.subspan(first), action == "export", status);
    if (!options) {
        return status;
    }
    std::string error;
    const auto texts = LoadPackTexts(options->lang, &error);
    if (!texts) {
        return Fail(ctx, error);
    }
    const auto settings = LoadStartupSettings(*texts, ctx.paths.tariffFile);
    ApplyView(*settings, *options);

    CallList list(*settings, *texts, ctx.paths.logFolder);
    // The selections of this run only; the stored positions stay as they are.
    CallFilter& filter = list.Filter();
    filter.Select(FilterListId::Months, MonthIndex(settings->Months, options->month));
    filter.Select(FilterListId::Users, TextIndex(settings->ListUsers, options->user));
    filter.Select(FilterListId::Entries, TextIndex(settings->ListEntries, options->entry));
    filter.Select(FilterListId::DeviceNames, TextIndex(settings->ListDNames, options->deviceName));
    filter.Select(FilterListId::DeviceTypes, TextIndex(settings->ListDTypes, options->deviceType));
    list.RebuildColumns(false);
    auto tellSkipped = [&] {
        for (const std::string& skipped : list.SkippedFiles()) {
            (void)std::fprintf(ctx.err, "orvanta-cli: %s; skipped\n", skipped.c_str());
        }
    };

    if (action == "export" && !InFolder(exportPath, ctx.paths.logFolder)) {
        // Each row written as it is read: a log of a million calls is never held. (A file in
        // the log folder itself is written only once the log has been read, as below.)
        ExportFile file(exportPath, &error);
        if (file.IsOpen()) {
            const bool written = ExportLoadedCallsToFile(list, options->format, file, &error);
            tellSkipped();
            return written ? kExitOk : Fail(ctx, error);
        }
        list.Reload();
        tellSkipped();
        return Fail(ctx, error);
    }
    list.Reload();
    tellSkipped();

    if (action == "list") {
        WriteList(ctx, list);
    } else if (action == "export") {
        if (!ExportCallsToFile(list, options->format, exportPath, &error)) {
            return Fail(ctx, error);
        }
    } else if (action == "report") {
        return WriteCallReport(ctx, list, *settings, *texts, exportPath);
    } else {
        for (const SumsField& field : list.Sums()) {
            WriteLine(ctx, {std::to_string(field.id), field.text});
        }
    }
    return kExitOk;
}

}  // namespace

const Command& CallsCommand() {
    return kCommand;
}

}  // namespace ov::cli
