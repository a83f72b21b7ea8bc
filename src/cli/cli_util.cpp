#include <bit>
#include <cinttypes>
#include <cstdio>

#include "cli/cli.h"
#include "platform/text_util.h"

namespace ov::cli {

int Fail(Context& ctx, std::string_view what) {
    std::fprintf(ctx.err, "orvanta-cli: %.*s\n", static_cast<int>(what.size()), what.data());
    return kExitFailure;
}

int UsageError(Context& ctx, const Command& command, std::string_view what) {
    if (!what.empty()) {
        std::fprintf(ctx.err, "orvanta-cli %.*s: %.*s\n", static_cast<int>(command.name.size()),
                     command.name.data(), static_cast<int>(what.size()), what.data());
    }
    std::fprintf(ctx.err, "%.*s", static_cast<int>(command.usage.size()), command.usage.data());
    return kExitUsage;
}

std::string PriceText(float price) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(price));
    return text;
}

std::string PriceBits(float price) {
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIx32, std::bit_cast<std::uint32_t>(price));
    return text;
}

bool WriteLine(Context& ctx, std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const auto field : fields) {
        if (!first) {
            line += '\t';
        }
        first = false;
        line += EscapeField(field);
    }
    line += '\n';
    const bool written = std::fwrite(line.data(), 1, line.size(), ctx.out) == line.size();
    return std::fflush(ctx.out) == 0 && written;
}

std::string FormatLocalTime(Time32 t) {
    std::tm tm{};
    if (!ToLocalTime(t, tm)) {
        return std::to_string(t);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::optional<Time32> ParseTime(std::string_view text) {
    if (const auto seconds = ParseInteger(text)) {
        if (*seconds < INT32_MIN || *seconds > INT32_MAX) {
            return std::nullopt;
        }
        return static_cast<Time32>(*seconds);
    }
    // Exactly YYYY-MM-DD HH:MM:SS: no signs or blanks inside the numbers.
    constexpr std::string_view kPattern = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kPattern.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) {
            return std::nullopt;
        }
    }
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute,
                    &second) != 6) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const Time32 t = FromLocalTime(tm);
    if (t == -1) {
        return std::nullopt;
    }
    // A day the month does not have (30 February) would be carried into the next month.
    std::tm back{};
    if (!ToLocalTime(t, back) || back.tm_year != tm.tm_year || back.tm_mon != tm.tm_mon ||
        back.tm_mday != tm.tm_mday) {
        return std::nullopt;
    }
    return t;
}

}  // namespace ov::cli
