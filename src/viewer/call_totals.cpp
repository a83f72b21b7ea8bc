#include "viewer/call_totals.h"

#include <cstdio>

#include "tariff/price_format.h"

namespace ov {

namespace {

/// Days spanned from first to last, a begun day counting whole.
std::int32_t DaysBetween(Time32 first, Time32 last) {
    // In 64 bits: first and last may lie on opposite sides of 1970 or far apart.
    const std::int64_t span = static_cast<std::int64_t>(last) - first;
    return static_cast<std::int32_t>(span / 86400 + (span % 86400 != 0 ? 1 : 0));
}

}  // namespace

void CallTotals::UpdateDays() {
    if (first != 0) {
        days = DaysBetween(first, last);
    }
}

void CallTotals::Merge(const CallTotals& month) {
    if (month.first != 0) {
        if (first == 0) {
            first = month.first;
        }
        last = month.last;
        days = DaysBetween(first, last);
    }
    price += month.price;
    connectedSeconds += month.connectedSeconds;
    dialingSeconds += month.dialingSeconds;
    count += month.count;
}

double CallTotals::CallsPerDay() const {
    return days != 0 ? static_cast<double>(count) / days : count;
}

std::int64_t CallTotals::SecondsPerDay() const {
    return days != 0 ? TotalSeconds() / days : TotalSeconds();
}

float CallTotals::PricePerDay() const {
    return days != 0 ? price / static_cast<float>(days) : price;
}

std::vector<SumsField> SumsFields(const CallTotals& totals, const Tariff& tariff) {
    char callsPerDay[64];
    std::snprintf(callsPerDay, sizeof callsPerDay, "%.2f", totals.CallsPerDay());
    return {
        {3071, FormatPrice(tariff, totals.price)},
        {3072, std::to_string(totals.count)},
        {3079, std::to_string(totals.days)},
        {3070, FormatDuration(totals.TotalSeconds())},
        {3068, FormatDateTime(totals.first)},
        {3069, FormatDateTime(totals.last)},
        {3076, FormatPrice(tariff, totals.PricePerDay())},
        {3077, callsPerDay},
        {3075, FormatDuration(totals.SecondsPerDay())},
    };
}

}  // namespace ov
