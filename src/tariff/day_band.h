#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "tariff/tariff.h"

namespace ov {

/// An active tariff slot as pricing uses it, for one stretch of a local day.
struct DayBand {
    std::int16_t startMinute = 0;  // first minute of day covered
    std::int16_t endMinute = 0;    // last minute covered, inclusive; 1440 for a split slot's tail
    std::int32_t unitSeconds = 0;  // Minuts * 60
    float unitPrice = 0.0f;        // Price

    bool operator==(const DayBand&) const = default;
};

/// The bands of one local day, ordered by start minute.
using DayBandList = std::vector<DayBand>;

/// Fills `list` with the bands of the local calendar day that contains `t` (the weekday's own
/// set, else EveryDay; possibly none) and sets `nextMidnight` to the first second of the
/// following day as counted from the local clock fields of `t`.
void LoadDayBands(const Tariff& tariff, Time32 t, DayBandList& list, Time32& nextMidnight);

/// Charging units for `seconds` at `unitSeconds` per unit: the quotient rounded up.
std::int32_t UnitsFor(std::int32_t seconds, std::int32_t unitSeconds);

/// Price of a call that began at `start` and lasted `duration` seconds. Every begun unit is
/// paid in full; time in a gap between bands is charged at the rate of the next band; a call
/// past midnight goes on with the next day's bands. Accumulated in single precision, as the
/// stored prices and totals always have been.
float PriceOfCall(const Tariff& tariff, Time32 start, std::int32_t duration);

}  // namespace ov
