#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

// The conversions between a tariff's values and the text fields of the options sheet's tariff
// and currency page. A minute of day shows as an hour and a minute field.

/// The hour field of a minute of day: "%02d" of minuteOfDay / 60.
std::string HourField(std::int32_t minuteOfDay);

/// The minute field of a minute of day: "%02d" of minuteOfDay mod 60.
std::string MinuteField(std::int32_t minuteOfDay);

/// A field read as a signed integer: 0 when it holds no whole number in the 32-bit range.
/// Blanks around the number are ignored.
std::int32_t FieldInteger(std::string_view text);

/// The minute of day from the hour and minute fields, hours capped at 23 and minutes at 59;
/// negative values count as 0.
std::int16_t MinuteOfDayFromFields(std::int32_t hours, std::int32_t minutes);

/// The charging unit (`Minuts`) from its field: 1440 or more is stored as 1439.
std::int16_t UnitFromField(std::int32_t minutes);

/// The decimals (`CurrDecName`) from their field, between 0 and 5.
std::int32_t DecimalsFromField(std::int32_t decimals);

/// A price field read as the C library's atof reads a decimal number (the leading number, "."
/// as the decimal point, 0 when there is none), whatever the process locale. Nothing when that
/// number is not a finite decimal price in single precision ("nan", "inf", hexadecimal, 1e39):
/// the options refuse such a field.
std::optional<float> PriceFieldValue(const std::string& text);

/// The price of a field, 0 for one that PriceFieldValue refuses.
float PriceFromField(const std::string& text);

}  // namespace ov
