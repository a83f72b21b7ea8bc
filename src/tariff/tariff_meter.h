#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "tariff/day_band.h"
#include "tariff/tariff.h"

namespace ov {

/// The running meter of one call: charges each charging unit when it begins, at the price of
/// the band that holds the unit's first minute. The live display ticks it once a second and
/// the limit rules read it. The stored price of a call comes from PriceOfCall, not from here.
class TariffMeter {
public:
    explicit TariffMeter(const Clock& clock = DefaultClock()) : m_clock(&clock) {}

    /// Starts metering a call that began at `callStart`, priced by `tariff` (not owned; it
    /// must outlive the meter, and changes to it apply from the next local midnight). Charges
    /// the first unit at once.
    void Start(const Tariff& tariff, Time32 callStart);

    /// Brings the meter to the clock's current time. True when a unit boundary was reached
    /// (at most one unit is charged per tick), false when nothing changed or before Start.
    bool Tick();

    Time32 callStart() const { return m_callStart; }
    Time32 lastTick() const { return m_lastTick; }
    Time32 unitStart() const { return m_unitStart; }
    Time32 nextMidnight() const { return m_nextMidnight; }
    float unitPrice() const { return m_unitPrice; }
    float totalPrice() const { return m_totalPrice; }
    /// Seconds from unitStart to lastTick.
    std::int32_t elapsedInUnit() const { return m_elapsedInUnit; }
    /// Length of the current unit in seconds; 0 before the first unit is charged.
    std::int32_t unitSeconds() const { return m_unitSeconds; }
    const DayBandList& bands() const { return m_bands; }

private:
    const Clock* m_clock;
    const Tariff* m_tariff = nullptr;
    DayBandList m_bands;  // the bands of the day loaded last
    Time32 m_nextMidnight = 0;
    Time32 m_lastTick = 0;
    Time32 m_unitStart = 0;
    Time32 m_callStart = 0;
    float m_totalPrice = 0.0f;
    float m_unitPrice = 0.0f;
    std::int32_t m_elapsedInUnit = 0;
    std::int32_t m_unitSeconds = 0;
};

}  // namespace ov
