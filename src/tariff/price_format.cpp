#include "tariff/price_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "tariff/c_locale.h"

namespace ov {

namespace {

/// vprintf into a string of whatever length the result needs; empty when printf fails.
std::string FormatV(const char* format, std::va_list args) {
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

[[gnu::format(printf, 1, 2)]] std::string Printf(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

/// Printf for a format made at run time by PriceFormat or NumberFormat, whose only conversion
/// is one %.Nf (every other percent sign is doubled).
std::string PrintfMadeFormat(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

std::string ApplyPriceFormat(const std::string& format, float price) {
    const CLocaleScope cLocale;
    return PrintfMadeFormat(format.c_str(), static_cast<double>(price));
}

/// Decimals as a precision: a negative count (it can reach the registry directly) would make
/// the format's only conversion invalid, so it shows as 0 decimals.
int Decimals(const Tariff& tariff) {
    return std::max(tariff.CurrDecName, 0);
}

std::string EscapePercent(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        escaped += c;
        if (c == '%') {
            escaped += '%';
        }
    }
    return escaped;
}

}  // namespace

std::string PriceFormat(const Tariff& tariff) {
    const std::string symbol = EscapePercent(tariff.CurrShort);
    const int decimals = Decimals(tariff);
    return tariff.CurrAfterNum != 0 ? Printf("%%.%df%s", decimals, symbol.c_str())
                                    : Printf("%s%%.%df", symbol.c_str(), decimals);
}

std::string NumberFormat(const Tariff& tariff) {
    return Printf("%%.%df", Decimals(tariff));
}

std::string FormatPrice(const Tariff& tariff, float price) {
    return ApplyPriceFormat(PriceFormat(tariff), price);
}

std::string FormatNumber(const Tariff& tariff, float price) {
    return ApplyPriceFormat(NumberFormat(tariff), price);
}

std::string FormatDuration(std::int64_t seconds) {
    return Printf("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60),
                  static_cast<long long>(seconds % 60));
}

std::string FormatDateTime(Time32 t) {
    std::tm local{};
    if (t == 0 || !ToLocalTime(t, local)) {
        return "00.00.0000  00:00:00";
    }
    return Printf("%02d.%02d.%4d  %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
}

std::string MonthName(const TextSource& texts, int month) {
    // Only the first twelve entries of the text table are months.
    if (month < 0 || month > 11) {
        return {};
    }
    return texts.Entry(month);
}

std::string MonthCaption(const TextSource& texts, int year, int month) {
    return Printf("%d %s", year, MonthName(texts, month).c_str());
}

}  // namespace ov
