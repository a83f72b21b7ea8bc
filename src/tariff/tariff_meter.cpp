#include "tariff/tariff_meter.h"

#include <algorithm>
#include <limits>

namespace ov {

void TariffMeter::Start(const Tariff& tariff, Time32 callStart) {
    m_tariff = &tariff;
    m_totalPrice = 0.0f;
    m_unitPrice = 0.0f;
    m_elapsedInUnit = 0;
    m_unitSeconds = 0;
    m_runBase = 0.0f;
    m_runUnits = 0;
    m_lastTick = m_clock->Now();
    m_unitStart = m_callStart = callStart;
    // The units follow the call from its start, day by day, whenever the metering began.
    m_units.Begin(tariff, callStart);
    Tick();
}

Time32 TariffMeter::nextMidnight() const {
    return static_cast<Time32>(
        std::min<std::int64_t>(m_units.dayEnd(), std::numeric_limits<Time32>::max()));
}

bool TariffMeter::Tick() {
    if (m_tariff == nullptr) {
        return false;
    }
    const Time32 now = m_clock->Now();
    m_elapsedInUnit = now - m_unitStart;
    m_lastTick = now;
    if (m_unitSeconds != 0 && m_elapsedInUnit < m_unitSeconds) {
        return false;
    }
    m_unitStart += m_unitSeconds;
    m_elapsedInUnit = now - m_unitStart;

    ChargingUnits::Unit unit;
    if (!m_units.Next(unit)) {
        // Nothing more is charged for this call: the unit costs nothing and keeps the last
        // length.
        return true;
    }
    if (unit.newRun) {
        m_runBase = m_totalPrice;
        m_runUnits = 0;
    }
    ++m_runUnits;
    m_unitSeconds = unit.seconds;
    m_unitPrice = unit.price;
    m_totalPrice = m_runBase + static_cast<float>(m_runUnits) * unit.price;
    return true;
}

}  // namespace ov
