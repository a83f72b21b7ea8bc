#include "tariff/tariff_meter.h"

#include <ctime>

namespace ov {

void TariffMeter::Start(const Tariff& tariff, Time32 callStart) {
    m_tariff = &tariff;
    m_bands.clear();
    m_totalPrice = 0.0f;
    m_unitPrice = 0.0f;
    m_elapsedInUnit = 0;
    m_unitSeconds = 0;
    m_lastTick = m_clock->Now();
    m_unitStart = m_callStart = callStart;
    // The bands of the current day: the meter follows the clock from here on, whenever the
    // call itself began.
    LoadDayBands(tariff, m_lastTick, m_bands, m_nextMidnight);
    Tick();
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

    std::tm local{};
    const int minute = ToLocalTime(m_unitStart, local) ? local.tm_hour * 60 + local.tm_min : -1;
    if (now >= m_nextMidnight) {
        LoadDayBands(*m_tariff, now, m_bands, m_nextMidnight);
    }
    for (const DayBand& band : m_bands) {
        if (band.startMinute <= minute && minute <= band.endMinute) {
            m_unitSeconds = band.unitSeconds;
            m_unitPrice = band.unitPrice;
            m_totalPrice = m_totalPrice + band.unitPrice;
            return true;
        }
    }
    // The unit begins in a gap between bands: it costs nothing and keeps the last length.
    return true;
}

}  // namespace ov
