#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "tariff/day_band.h"
#include "tariff/tariff.h"

namespace ov {

/// The running meter of one call: charges each charging unit when it begins, the units being
/// those PriceOfCall charges (a unit that begins between bands at the next band's rate, the
/// bands by the wall clock of each day), so that the total at the end of the call is the price
/// the call is stored with. The live display ticks it once a second and the limit rules read
/// it.
class TariffMeter {
public:
    explicit TariffMeter(const Clock& clock = DefaultClock()) : m_clock(&clock) {}

    /// Starts metering a call that began at `callStart`, priced by `tariff` (not owned; it
    /// must outlive the meter, and changes to it apply from the next local day the units
    /// reach). Charges the first unit at once.
    void Start(const Tariff& tariff, Time32 callStart);

    /// Brings the meter to the clock's current time. True when a unit boundary was reached
    /// (at most one unit is charged per tick), false when nothing changed or before Start.
    bool Tick();

    Time32 callStart() const { return m_callStart; }
    Time32 lastTick() const { return m_lastTick; }
    Time32 unitStart() const { return m_unitStart; }
    /// The first second of the local day after the one whose bands are loaded.
    Time32 nextMidnight() const;
    float unitPrice() const { return m_unitPrice; }
    float totalPrice() const { return m_totalPrice; }
    /// Seconds from unitStart to lastTick.
    std::int32_t elapsedInUnit() const { return m_elapsedInUnit; }
    /// Length of the current unit in seconds; 0 before the first unit is charged.
    std::int32_t unitSeconds() const { return m_unitSeconds; }
    /// The bands of the day the units have reached.
    const DayBandList& bands() const { return m_units.bands(); }

private:
    const Clock* m_clock;
    const Tariff* m_tariff = nullptr;
    ChargingUnits m_units;
    Time32 m_lastTick = 0;
    Time32 m_unitStart = 0;
    Time32 m_callStart = 0;
    float m_totalPrice = 0.0f;
    float m_unitPrice = 0.0f;
    std::int32_t m_elapsedInUnit = 0;
    std::int32_t m_unitSeconds = 0;
    // The price before the current run of units in one band and the units of that run: the
    // total is summed as PriceOfCall sums it.
    float m_runBase = 0.0f;
    std::int32_t m_runUnits = 0;
};

}  // namespace ov
