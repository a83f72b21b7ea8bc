#include "tariff/day_band.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace ov {
namespace {

constexpr std::int32_t kSecondsPerDay = 86400;
constexpr std::int16_t kEndOfDaySplit = 1440;

/// Inserts after every entry with the same or an earlier start, so the list stays ordered by
/// start minute and equal starts keep slot order.
void InsertByStart(DayBandList& list, const DayBand& band) {
    const auto at = std::upper_bound(
        list.begin(), list.end(), band,
        [](const DayBand& a, const DayBand& b) { return a.startMinute < b.startMinute; });
    list.insert(at, band);
}

void AppendSet(const Tariff& tariff, int set, DayBandList& list) {
    for (int row = 0; row < kRowsPerSet; ++row) {
        const TariffBand slot = tariff.Band(SlotIndex(set, row));
        if (!IsActive(slot)) {
            continue;
        }
        const std::int32_t unitSeconds = std::int32_t{slot.Minuts} * 60;
        if (slot.TimeFrom < slot.TimeTo) {
            InsertByStart(list, {slot.TimeFrom, slot.TimeTo, unitSeconds, slot.Price});
        } else {
            // A band over midnight (or a whole day when both ends are equal) is two stretches.
            InsertByStart(list, {slot.TimeFrom, kEndOfDaySplit, unitSeconds, slot.Price});
            InsertByStart(list, {0, slot.TimeTo, unitSeconds, slot.Price});
        }
    }
}

/// LoadDayBands for a time whose local fields are already at hand.
void LoadDayBandsAt(const Tariff& tariff, Time32 t, const std::tm& local, DayBandList& list,
                    Time32& nextMidnight) {
    list.clear();
    nextMidnight = t - (local.tm_sec + 60 * (local.tm_min + 60 * local.tm_hour)) + kSecondsPerDay;
    const int set = (local.tm_wday == 0 || local.tm_wday == 6) ? Weekend : Workdays;
    AppendSet(tariff, set, list);
    if (list.empty()) {
        AppendSet(tariff, EveryDay, list);
    }
}

}  // namespace

void LoadDayBands(const Tariff& tariff, Time32 t, DayBandList& list, Time32& nextMidnight) {
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        // No calendar day to choose bands by: nothing is charged for it.
        list.clear();
        nextMidnight = t + kSecondsPerDay;
        return;
    }
    LoadDayBandsAt(tariff, t, local, list, nextMidnight);
}

std::int32_t UnitsFor(std::int32_t seconds, std::int32_t unitSeconds) {
    if (unitSeconds == 0) {
        return 0;  // no active band has a unit of 0; never divide by it
    }
    const std::int32_t units = seconds / unitSeconds;
    const std::int32_t rest = seconds % unitSeconds;
    // The exact quotient lies above the truncated one when the remainder is not 0 and has the
    // sign of the divisor.
    return rest != 0 && (rest > 0) == (unitSeconds > 0) ? units + 1 : units;
}

float PriceOfCall(const Tariff& tariff, Time32 start, std::int32_t duration) {
    float price = 0.0f;
    std::tm local{};
    if (!ToLocalTime(start, local)) {
        return price;
    }
    // g: seconds after the loaded day's local midnight; it runs on past the day's end and is
    // brought back by a day at each new day. r: seconds still to charge.
    std::int32_t g = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    std::int32_t r = duration;
    Time32 day = start;
    Time32 nextMidnight = 0;
    DayBandList bands;
    bands.reserve(2 * kRowsPerSet);
    LoadDayBandsAt(tariff, day, local, bands, nextMidnight);
    for (;;) {
        if (bands.empty()) {
            return price;
        }
        bool progressed = false;
        for (const DayBand& band : bands) {
            const std::int32_t e = std::int32_t{band.endMinute} * 60 + 59;
            if (g > e) {
                continue;
            }
            const std::int32_t s = std::min(r, e - g);
            const std::int32_t n = UnitsFor(s, band.unitSeconds);
            price = price + static_cast<float>(n) * band.unitPrice;
            r -= n * band.unitSeconds;
            if (r <= 0) {
                return price;
            }
            g += n * band.unitSeconds;
            progressed = true;
        }
        if (!progressed) {
            // Nothing of the day is left after g (start after every band): nothing more to
            // charge, however long the call.
            return price;
        }
        if (day > std::numeric_limits<Time32>::max() - kSecondsPerDay) {
            return price;  // the next day is past what a 32-bit time can say
        }
        g -= kSecondsPerDay;
        day += kSecondsPerDay;
        LoadDayBands(tariff, day, bands, nextMidnight);
    }
}

}  // namespace ov
