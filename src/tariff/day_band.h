#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "tariff/local_day.h"
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
/// following local calendar day.
void LoadDayBands(const Tariff& tariff, Time32 t, DayBandList& list, Time32& nextMidnight);

/// The bands of one local day with the last second each covers, as a time: a band's minutes
/// are read on that day's clock.
struct DayPlan {
    LocalDay day;
    DayBandList bands;
    std::array<std::int64_t, std::size_t{2} * kRowsPerSet> lastSecond{};  // per band, in list order
};

/// Fills `plan` for the local day that holds `t`; false (and no bands) when the day cannot be
/// placed.
bool LoadDayPlan(const Tariff& tariff, std::int64_t t, DayPlan& plan);

/// Charging units for `seconds` at `unitSeconds` per unit: the quotient rounded up.
std::int32_t UnitsFor(std::int32_t seconds, std::int32_t unitSeconds);

/// Price of a call that began at `start` and lasted `duration` seconds. Every begun unit is
/// paid in full; time in a gap between bands is charged at the rate of the next band; a call
/// past midnight goes on with the next calendar day's bands. Bands begin and end by the wall
/// clock: an hour the clock shows twice is charged twice at its band's rate, and a band that
/// would begin in an hour the clock skips begins at the jump. Accumulated in single precision,
/// as the stored prices and totals always have been.
float PriceOfCall(const Tariff& tariff, Time32 start, std::int32_t duration);

/// The charging units of a call one after the other, exactly as PriceOfCall charges them, for
/// the running meter: its total at the end of a call is then the call's stored price.
class ChargingUnits {
public:
    struct Unit {
        std::int32_t seconds = 0;
        float price = 0.0f;
        /// The first unit of a run in one band. PriceOfCall adds a run as one product (units
        /// times price), which in single precision is not always the sum of its units.
        bool newRun = false;
    };

    /// Starts with the unit that begins at `start`. `tariff` is not owned; its bands are read
    /// again at each new day.
    void Begin(const Tariff& tariff, Time32 start);
    /// The unit that begins where the last one ended; false when nothing more is charged.
    bool Next(Unit& unit);

    /// The bands of the day the units have reached.
    const DayBandList& bands() const { return m_plan.bands; }
    /// The first second of the day after the one the units have reached.
    std::int64_t dayEnd() const { return m_plan.day.end; }

private:
    const Tariff* m_tariff = nullptr;
    DayPlan m_plan;
    std::int64_t m_position = 0;    // where the next unit begins
    std::int64_t m_startInDay = 0;  // seconds from the first day's start to the call's start
    std::size_t m_index = 0;        // the band being charged from
    bool m_progressed = false;      // a band of this day still reached the position
    bool m_inRun = false;           // a unit of the current band was charged
    bool m_done = true;
};

}  // namespace ov
