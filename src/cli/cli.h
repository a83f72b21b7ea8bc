#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/text_table_source.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"

namespace ov::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// Where a command writes (tests of the commands can point these at files), and what main
/// took once from the environment: where the program's files are and the monitor's poll
/// period.
struct Context {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::FILE* in = stdin;
    ProgramPaths paths;
    std::chrono::milliseconds pollPeriod{2000};
};

using Args = std::span<const std::string>;

/// One command of orvanta-cli.
struct Command {
    std::string_view name;
    std::string_view summary;  // one line for the overview
    std::string_view usage;    // the full usage, shown on a usage error and for --help
    int (*run)(Context& ctx, Args args);
};

/// Every command, in the order the overview lists them.
std::span<const Command> Commands();

// The commands, one file each.
const Command& RegCommand();
const Command& PriceCommand();
const Command& TariffCommand();
const Command& CallsCommand();
const Command& RasCommand();
const Command& ConnectionsCommand();
const Command& HangUpCommand();
const Command& MonitorCommand();
const Command& LogCommand();

/// Prints "orvanta-cli: <what>" on standard error; returns kExitFailure.
int Fail(Context& ctx, std::string_view what);

/// Prints the usage of `command` on standard error; returns kExitUsage.
int UsageError(Context& ctx, const Command& command, std::string_view what = {});

/// Writes one output line: the fields joined by TAB, each escaped, then LF; flushed so that a
/// reader of a pipe sees every line at once. False when the line could not be written.
bool WriteLine(Context& ctx, std::initializer_list<std::string_view> fields);

/// A price as "%.9g", enough digits to give back the same float.
std::string PriceText(float price);

/// The price's IEEE-754 bits as 8 lowercase hexadecimal digits.
std::string PriceBits(float price);

/// "YYYY-MM-DD HH:MM:SS" in local time.
std::string FormatLocalTime(Time32 t);

/// START: seconds since 1970, or "YYYY-MM-DD HH:MM:SS" in local time.
std::optional<Time32> ParseTime(std::string_view text);

/// LANGID: a language identifier in decimal, or in hexadecimal after "0x" (1 to 0xFFFF).
std::optional<LangId> ParseLangId(std::string_view text);

/// The texts of a language pack: with `lang`, the pack of that language or serving it (Czech
/// gets Slovak); without, the pack the program chooses at start-up. When no pack can be had,
/// nothing, with `error` naming the missing or damaged pack file. The packs are looked for in
/// `langsFolder`, by default where the program's are (its folder's Langs, else the installed
/// ../share/orvanta/Langs).
std::optional<FixedTextSource> LoadPackTexts(std::optional<LangId> lang, std::string* error,
                                             const std::string& langsFolder = {});

}  // namespace ov::cli
