#include "limits/limit_tracker.h"

#include <cstdio>

namespace ov {

std::string LimitMessage;
bool limitChecksSuspended = false;

TimeUnit TimeUnitOf(std::int32_t eventValueType) {
    switch (eventValueType) {
        case 1:
            return TimeUnit::Minutes;
        case 2:
            return TimeUnit::Seconds;
        default:
            // Negative values too: a stored value the program never writes still means hours.
            return TimeUnit::Hours;
    }
}

std::int32_t TimeUnitSeconds(TimeUnit unit) {
    switch (unit) {
        case TimeUnit::Minutes:
            return 60;
        case TimeUnit::Seconds:
            return 1;
        case TimeUnit::Hours:
            break;
    }
    return 3600;
}

const char* TimeUnitWord(TimeUnit unit) {
    switch (unit) {
        case TimeUnit::Minutes:
            return "minuts";
        case TimeUnit::Seconds:
            return "seconds";
        case TimeUnit::Hours:
            break;
    }
    return "hours";
}

std::string TimeLimitMessage(LimitKind kind, std::int32_t limit, TimeUnit unit) {
    char text[128];
    if (kind == LimitKind::TotalTime) {
        std::snprintf(text, sizeof text, "Total connection time is higher then %d %s", limit,
                      TimeUnitWord(unit));
    } else {
        std::snprintf(text, sizeof text, "Time of current connection is higher then %d %s", limit,
                      TimeUnitWord(unit));
    }
    return text;
}

std::string PriceLimitMessage(LimitKind kind, const std::string& priceText) {
    return (kind == LimitKind::TotalPrice ? "Total price for connection is higher then "
                                          : "Price for current connection is higher then ") +
           priceText;
}

void LimitTracker::Init(const TariffMeter* meter, std::int32_t timeOffset, float priceOffset) {
    m_meter = meter;
    m_timeOffset = timeOffset;
    m_priceOffset = priceOffset;
}

std::int32_t LimitTracker::TrackedTime() const {
    if (m_meter == nullptr) {
        return 0;
    }
    // Unsigned arithmetic: a stored total near the limit of the field wraps as the 32-bit
    // field does instead of being undefined.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_meter->lastTick()) -
                                     static_cast<std::uint32_t>(m_meter->callStart()) +
                                     static_cast<std::uint32_t>(m_timeOffset));
}

float LimitTracker::TrackedPrice() const {
    return m_meter == nullptr ? 0.0f : m_meter->totalPrice() + m_priceOffset;
}

bool LimitTracker::CheckTime(std::int32_t limit, TimeUnit unit) {
    if (m_settings->EventUseNotification == 0 || m_meter == nullptr) {
        return false;
    }
    // In 64 bits: a limit of many hours would overflow the product in 32.
    const std::int64_t limitSeconds =
        static_cast<std::int64_t>(limit) * static_cast<std::int64_t>(TimeUnitSeconds(unit));
    if (!(limitSeconds < TrackedTime())) {
        return false;
    }
    Rearm();
    return true;
}

bool LimitTracker::CheckPrice(float limit) {
    if (m_settings->EventUseNotification == 0 || m_meter == nullptr) {
        return false;
    }
    if (!(TrackedPrice() > limit)) {
        return false;
    }
    Rearm();
    return true;
}

void LimitTracker::Rearm() {
    if (m_meter->unitSeconds() == 0) {
        // No charging unit runs (nothing in the tariff charges this call), so the unit start
        // never moves: counting from it would fire again at once. Count from this tick.
        m_timeOffset = m_meter->callStart() - m_meter->lastTick();
        m_priceOffset = -m_meter->totalPrice();
        return;
    }
    // From here on the tracked values are those of the current unit and the units after it.
    m_timeOffset = m_meter->callStart() - m_meter->unitStart();
    m_priceOffset = m_meter->unitPrice() - m_meter->totalPrice();
}

}  // namespace ov
