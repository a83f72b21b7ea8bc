#include "tariff/local_day.h"

#include <algorithm>
#include <ctime>

namespace ov {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool LocalFields(std::int64_t t, std::tm& out) {
    const auto wide = static_cast<std::time_t>(t);
    return localtime_r(&wide, &out) != nullptr;
}

std::int32_t ClockSeconds(const std::tm& local) {
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

/// Orders local dates: later dates give larger keys.
long DateKey(const std::tm& local) {
    return static_cast<long>(local.tm_year) * 400 + local.tm_yday;
}

/// The first second in (lo, hi] at which `holds` is true, given that it is false at `lo`, true
/// at `hi` and stays true once it is.
template <typename Holds>
std::int64_t FirstWhere(std::int64_t lo, std::int64_t hi, Holds holds) {
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (holds(mid) ? hi : lo) = mid;
    }
    return hi;
}

/// The bounds and the jump of a day on which the clock is put forward or back, looked for
/// second by second in halves.
bool SearchDay(std::int64_t t, const std::tm& local, LocalDay& day) {
    bool placed = true;
    auto fields = [&](std::int64_t s) {
        std::tm out{};
        placed = LocalFields(s, out) && placed;
        return out;
    };
    const long date = DateKey(local);
    day.start = FirstWhere(t - 2 * kSecondsPerDay, t,
                           [&](std::int64_t s) { return DateKey(fields(s)) >= date; });
    day.end = FirstWhere(t, t + 2 * kSecondsPerDay,
                         [&](std::int64_t s) { return DateKey(fields(s)) > date; });
    const std::tm first = fields(day.start);
    const std::tm last = fields(day.end - 1);
    day.clockAtStart = ClockSeconds(first);
    day.change = day.end;
    day.clockAtChange = 0;
    if (first.tm_gmtoff != last.tm_gmtoff) {
        day.change = FirstWhere(day.start, day.end - 1, [&](std::int64_t s) {
            return fields(s).tm_gmtoff != first.tm_gmtoff;
        });
        day.clockAtChange = ClockSeconds(fields(day.change));
    }
    return placed;
}

}  // namespace

bool LocalDayOf(std::int64_t t, LocalDay& day) {
    std::tm local{};
    std::tm before{};
    std::tm after{};
    if (!LocalFields(t, local)) {
        return false;
    }
    const std::int64_t clockMidnight = t - ClockSeconds(local);
    if (!LocalFields(clockMidnight - 1, before) ||
        !LocalFields(clockMidnight + kSecondsPerDay, after)) {
        return false;
    }
    day.weekday = local.tm_wday;
    if (before.tm_gmtoff == local.tm_gmtoff && after.tm_gmtoff == local.tm_gmtoff) {
        // The usual day: the clock did not jump since the day before and does not before the
        // next one.
        day.start = clockMidnight;
        day.end = clockMidnight + kSecondsPerDay;
        day.change = day.end;
        day.clockAtStart = 0;
        day.clockAtChange = 0;
        return true;
    }
    return SearchDay(t, local, day);
}

std::int64_t LastSecondAtOrBefore(const LocalDay& day, std::int32_t clockSeconds) {
    if (clockSeconds >= kSecondsPerDay) {
        return day.end + (clockSeconds - kSecondsPerDay);
    }
    if (day.change < day.end && clockSeconds >= day.clockAtChange) {
        return std::min(day.change + (clockSeconds - day.clockAtChange), day.end - 1);
    }
    return std::min(day.start + (clockSeconds - day.clockAtStart), day.change - 1);
}

}  // namespace ov
