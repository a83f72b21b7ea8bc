#include "tariff/tariff_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/text_util.h"
#include "tariff/c_locale.h"

namespace ov {
namespace {

std::string TwoDigits(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

std::string HourField(std::int32_t minuteOfDay) {
    return TwoDigits(minuteOfDay / 60);
}

std::string MinuteField(std::int32_t minuteOfDay) {
    return TwoDigits(minuteOfDay % 60);
}

std::int32_t FieldInteger(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return 0;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    const auto value = ParseInteger(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(*value);
}

std::int16_t MinuteOfDayFromFields(std::int32_t hours, std::int32_t minutes) {
    // A negative field would give a minute of day before midnight; it reads as 0.
    return static_cast<std::int16_t>(std::clamp(minutes, 0, 59) + 60 * std::clamp(hours, 0, 23));
}

std::int16_t UnitFromField(std::int32_t minutes) {
    // The lower bound only keeps a large negative entry from wrapping into a positive unit;
    // any negative unit leaves the slot inactive.
    return static_cast<std::int16_t>(
        std::clamp<std::int32_t>(minutes, std::numeric_limits<std::int16_t>::min(), 1439));
}

std::int32_t DecimalsFromField(std::int32_t decimals) {
    return std::clamp(decimals, 0, 5);
}

std::optional<float> PriceFieldValue(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, CLocale());
    if (end == begin) {
        return 0.0f;  // no number at all reads as 0, as it always has
    }
    // What the C library took must be digits, a point and an exponent: it also takes "nan",
    // "inf" and hexadecimal numbers, which are no prices.
    std::string_view taken(begin, static_cast<std::size_t>(end - begin));
    taken.remove_prefix(std::min(taken.find_first_not_of(" \t\n\v\f\r+-"), taken.size()));
    if (taken.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto price = static_cast<float>(value);
    if (!std::isfinite(price)) {
        return std::nullopt;  // beyond single precision: a NaN or infinite price spoils every sum
    }
    return price;
}

float PriceFromField(const std::string& text) {
    return PriceFieldValue(text).value_or(0.0f);
}

}  // namespace ov
