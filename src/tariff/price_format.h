#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/text_source.h"
#include "tariff/tariff.h"

namespace ov {

/// The printf-style format of one price with the tariff's currency symbol before or after it
/// and CurrDecName decimals, e.g. "$%.2f" or "%.2f$". A percent sign in the symbol is doubled
/// so that it stands for itself.
std::string PriceFormat(const Tariff& tariff);

/// The printf-style format of one price without symbol, e.g. "%.2f".
std::string NumberFormat(const Tariff& tariff);

/// A price written with PriceFormat ("$100.20").
std::string FormatPrice(const Tariff& tariff, float price);

/// A price written with NumberFormat ("100.20"), as the price entry fields show it.
std::string FormatNumber(const Tariff& tariff, float price);

/// Seconds as hours, minutes and seconds: "00:59:59"; hours take as many digits as they need.
std::string FormatDuration(std::int64_t seconds);

/// A time as local "dd.mm.yyyy  hh:mm:ss"; "00.00.0000  00:00:00" for 0 or a time the local
/// clock cannot show.
std::string FormatDateTime(Time32 t);

/// The name of month 0-11 from the language pack's text table; empty for any other number.
std::string MonthName(const TextSource& texts, int month);

/// The caption of a month of the call list: the year and the month's name ("2024 March").
std::string MonthCaption(const TextSource& texts, int year, int month);

}  // namespace ov
