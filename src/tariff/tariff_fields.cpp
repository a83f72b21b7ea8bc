#include "tariff/tariff_fields.h"

#include <algorithm>
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

float PriceFromField(const std::string& text) {
    return static_cast<float>(strtod_l(text.c_str(), nullptr, CLocale()));
}

}  // namespace ov
