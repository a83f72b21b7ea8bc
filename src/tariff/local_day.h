#pragma once

#include <cstdint>

namespace ov {

/// One local calendar day as times (seconds since 1970, in 64 bits so that the day after the
/// last 32-bit time still has an end). On most days the clock runs from 00:00:00 to 23:59:59;
/// on a day the clocks are put forward or back it jumps once, at `change`.
struct LocalDay {
    std::int64_t start = 0;          // first second of the day
    std::int64_t end = 0;            // first second of the next day
    std::int64_t change = 0;         // first second after the clock jumped; `end` when it did not
    std::int32_t clockAtStart = 0;   // seconds after midnight the clock shows at `start`
    std::int32_t clockAtChange = 0;  // seconds after midnight the clock shows at `change`
    int weekday = 0;                 // Sunday = 0 ... Saturday = 6
};

/// The local calendar day that holds `t`; false when the C library cannot place `t`.
bool LocalDayOf(std::int64_t t, LocalDay& day);

/// The last second of `day` at which the clock shows `clockSeconds` seconds after midnight or
/// earlier: of a time the clock shows twice, its second showing; of a time the clock skips,
/// the second before the jump. Clock times from 24:00 on count on past the day's end, and
/// those before the day's first clock time count back before its start.
std::int64_t LastSecondAtOrBefore(const LocalDay& day, std::int32_t clockSeconds);

}  // namespace ov
