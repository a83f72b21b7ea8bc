#include "tariff/day_band.h"

#include <algorithm>
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

void AppendDaySets(const Tariff& tariff, int weekday, DayBandList& list) {
    list.clear();
    const int set = (weekday == 0 || weekday == 6) ? Weekend : Workdays;
    AppendSet(tariff, set, list);
    if (list.empty()) {
        AppendSet(tariff, EveryDay, list);
    }
}

/// Whether the step to the next day would carry the call's start time of day past what a
/// 32-bit time can say: pricing stops there.
bool NextDayIsBeyondTime(const LocalDay& day, std::int64_t startInDay) {
    return day.end + startInDay > std::numeric_limits<Time32>::max();
}

}  // namespace

void LoadDayBands(const Tariff& tariff, Time32 t, DayBandList& list, Time32& nextMidnight) {
    LocalDay day;
    if (!LocalDayOf(t, day)) {
        // No calendar day to choose bands by: nothing is charged for it.
        list.clear();
        nextMidnight = t + kSecondsPerDay;
        return;
    }
    AppendDaySets(tariff, day.weekday, list);
    nextMidnight =
        static_cast<Time32>(std::min<std::int64_t>(day.end, std::numeric_limits<Time32>::max()));
}

bool LoadDayPlan(const Tariff& tariff, std::int64_t t, DayPlan& plan) {
    if (!LocalDayOf(t, plan.day)) {
        plan.bands.clear();
        return false;
    }
    AppendDaySets(tariff, plan.day.weekday, plan.bands);
    for (std::size_t i = 0; i < plan.bands.size(); ++i) {
        plan.lastSecond[i] =
            LastSecondAtOrBefore(plan.day, std::int32_t{plan.bands[i].endMinute} * 60 + 59);
    }
    return true;
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
    DayPlan plan;
    plan.bands.reserve(2 * kRowsPerSet);
    if (!LoadDayPlan(tariff, start, plan)) {
        return price;
    }
    const std::int64_t startInDay = start - plan.day.start;
    // g: the time charged up to; whole units can carry it past a band's last second by up to a
    // unit less a second, and the next bands are tested against it. r: seconds still to charge.
    std::int64_t g = start;
    std::int64_t r = duration;
    for (;;) {
        if (plan.bands.empty()) {
            return price;
        }
        bool progressed = false;
        for (std::size_t i = 0; i < plan.bands.size(); ++i) {
            const DayBand& band = plan.bands[i];
            const std::int64_t e = plan.lastSecond[i];
            if (g > e) {
                continue;
            }
            const auto s = static_cast<std::int32_t>(std::min(r, e - g));
            const std::int32_t n = UnitsFor(s, band.unitSeconds);
            price = price + static_cast<float>(n) * band.unitPrice;
            r -= std::int64_t{n} * band.unitSeconds;
            if (r <= 0) {
                return price;
            }
            g += std::int64_t{n} * band.unitSeconds;
            progressed = true;
        }
        if (!progressed) {
            // Nothing of the day is left after g (start after every band): nothing more to
            // charge, however long the call.
            return price;
        }
        if (NextDayIsBeyondTime(plan.day, startInDay) || !LoadDayPlan(tariff, plan.day.end, plan)) {
            return price;
        }
    }
}

void ChargingUnits::Begin(const Tariff& tariff, Time32 start) {
    m_tariff = &tariff;
    m_position = start;
    m_index = 0;
    m_progressed = false;
    m_inRun = false;
    m_done = !LoadDayPlan(tariff, start, m_plan) || m_plan.bands.empty();
    m_startInDay = start - m_plan.day.start;
}

bool ChargingUnits::Next(Unit& unit) {
    // The loop of PriceOfCall taken one unit at a time: a band charges the units that begin
    // before its last second, then the next band takes over; a day whose bands no longer
    // reach the position ends the charging.
    while (!m_done) {
        for (; m_index < m_plan.bands.size(); ++m_index, m_inRun = false) {
            const std::int64_t e = m_plan.lastSecond[m_index];
            if (m_position > e) {
                continue;
            }
            m_progressed = true;
            if (m_position == e) {
                continue;  // no unit begins in a band's last second: the next band charges it
            }
            const DayBand& band = m_plan.bands[m_index];
            unit = {band.unitSeconds, band.unitPrice, !m_inRun};
            m_inRun = true;
            m_position += band.unitSeconds;
            return true;
        }
        if (!m_progressed || NextDayIsBeyondTime(m_plan.day, m_startInDay) ||
            !LoadDayPlan(*m_tariff, m_plan.day.end, m_plan) || m_plan.bands.empty()) {
            m_done = true;
            break;
        }
        m_index = 0;
        m_progressed = false;
        m_inRun = false;
    }
    return false;
}

}  // namespace ov
