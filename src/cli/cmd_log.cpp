#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "calllog/call_log_file.h"
#include "cli/cli.h"
#include "platform/file_util.h"
#include "platform/text_util.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli log dump FILE\n"
    "       orvanta-cli log append FILE    (records in the dump form on standard input)\n"
    "       orvanta-cli log path YEAR MONTH\n"
    "Dump form: kind, startTime, connectedSeconds, dialingSeconds, price, priceBits, userName,\n"
    "entryName, deviceName, deviceType, separated by TAB.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"log", "read and append call log files", kUsage, Run};

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    const auto n = ParseInteger(text);
    if (!n || *n < INT32_MIN || *n > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*n);
}

/// A decimal number as people write it: sign, digits with at most one point, an exponent.
/// No hexadecimal, no "inf" or "nan", no spaces: strtof alone takes all of those.
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t exponentStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        if (i == exponentStart) {
            return false;
        }
    }
    return i == text.size();
}

/// One line of the dump form back into a record; the reason in `why` when it is not one.
std::optional<CallRecord> ParseDumpLine(std::string_view line, std::string& why) {
    const auto fields = SplitFields(line);
    if (fields.size() != 10) {
        why = "expected 10 fields, found " + std::to_string(fields.size());
        return std::nullopt;
    }
    CallRecord r;
    const auto kind = ParseInt32(fields[0]);
    const auto start = ParseInt32(fields[1]);
    const auto connected = ParseInt32(fields[2]);
    const auto dialing = ParseInt32(fields[3]);
    if (!kind || !start || !connected || !dialing) {
        why = "kind, start and durations must be whole 32-bit numbers";
        return std::nullopt;
    }
    if (*kind != KindUnconnected && *kind != KindConnected && *kind != KindMonitorStart &&
        *kind != KindMonitorStop) {
        why = "kind must be 0, 1, 3 or 4";
        return std::nullopt;
    }
    if (*connected < 0 || *dialing < 0) {
        why = "a duration cannot be negative";
        return std::nullopt;
    }
    r.kind = *kind;
    r.startTime = *start;
    r.connectedSeconds = *connected;
    r.dialingSeconds = *dialing;
    if (!fields[5].empty()) {
        std::uint32_t bits = 0;
        const std::string text(fields[5]);
        char* end = nullptr;
        const unsigned long value = std::strtoul(text.c_str(), &end, 16);
        if (text.size() != 8 || *end != '\0' || text.find_first_of("+- x") != std::string::npos) {
            why = "priceBits must be 8 hexadecimal digits";
            return std::nullopt;
        }
        bits = static_cast<std::uint32_t>(value);
        r.price = std::bit_cast<float>(bits);
    } else {
        const std::string text(fields[4]);
        char* end = nullptr;
        r.price = IsDecimalNumber(text) ? std::strtof(text.c_str(), &end) : 0.0f;
        if (end == nullptr || *end != '\0' || !std::isfinite(r.price)) {
            why = "price is not a finite decimal number";
            return std::nullopt;
        }
    }
    std::string* strings[] = {&r.userName, &r.entryName, &r.deviceName, &r.deviceType};
    for (int i = 0; i < 4; ++i) {
        auto value = UnescapeField(fields[6 + static_cast<std::size_t>(i)]);
        if (!value) {
            why = "bad escape in a text field";
            return std::nullopt;
        }
        if (value->size() >= static_cast<std::size_t>(kCallRecordStringBuffer)) {
            why = "a text field is longer than 1023 bytes";
            return std::nullopt;
        }
        *strings[i] = std::move(*value);
    }
    return r;
}

int Dump(Context& ctx, const std::string& file) {
    std::string error;
    const auto bytes = ReadWholeFile(file, &error);
    if (!bytes) {
        return Fail(ctx, error);
    }
    std::string_view rest(*bytes);
    CallRecord r;
    while (const std::size_t used = DecodeCallRecord(rest, r)) {
        rest.remove_prefix(used);
        WriteLine(ctx, {std::to_string(r.kind), std::to_string(r.startTime),
                        std::to_string(r.connectedSeconds), std::to_string(r.dialingSeconds),
                        PriceText(r.price), PriceBits(r.price), r.userName, r.entryName,
                        r.deviceName, r.deviceType});
    }
    return kExitOk;
}

int Append(Context& ctx, const std::string& file) {
    // Every line is read and checked first: a bad line appends nothing at all.
    std::vector<CallRecord> records;
    std::string line;
    int lineNumber = 0;
    int c = 0;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::fgetc(ctx.in)) != EOF && c != '\n') {
            line += static_cast<char>(c);
        }
        more = c != EOF;
        if (!more && line.empty()) {
            break;
        }
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();  // CR LF line ends
        }
        std::string why;
        auto record = ParseDumpLine(line, why);
        if (!record) {
            return Fail(
                ctx, "line " + std::to_string(lineNumber) + ": " + why + "; nothing was appended");
        }
        records.push_back(std::move(*record));
    }
    CallLogAppender appender;
    for (const CallRecord& record : records) {
        std::string error;
        std::string notice;
        if (!appender.Append(file, record, &error, &notice)) {
            return Fail(ctx, error);
        }
        if (!notice.empty()) {
            (void)std::fprintf(ctx.err, "orvanta-cli: %s\n", notice.c_str());
        }
    }
    return kExitOk;
}

int Run(Context& ctx, Args args) {
    if (args.size() == 2 && args[0] == "dump") {
        return Dump(ctx, args[1]);
    }
    if (args.size() == 2 && args[0] == "append") {
        return Append(ctx, args[1]);
    }
    if (args.size() == 3 && args[0] == "path") {
        const auto year = ParseInteger(args[1]);
        const auto month = ParseInteger(args[2]);
        if (!year || *year < 1 || *year > 9999) {
            return UsageError(ctx, kCommand, "YEAR must be a year, not '" + args[1] + "'");
        }
        if (!month || *month < 1 || *month > 12) {
            return UsageError(ctx, kCommand, "MONTH must be 1 to 12, not '" + args[2] + "'");
        }
        WriteLine(ctx, {MonthFilePath(ctx.paths.logFolder, static_cast<int>(*year),
                                      static_cast<int>(*month))});
        return kExitOk;
    }
    return UsageError(ctx, kCommand);
}

}  // namespace

const Command& LogCommand() {
    return kCommand;
}

}  // namespace ov::cli
