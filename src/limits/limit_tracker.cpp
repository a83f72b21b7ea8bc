#include "limits/limit_tracker.h"

#include <string_view>

#include "platform/text_util.h"

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

namespace {

/// `format` with its first "%d" replaced by `number`; "%%" is left for FormatWithText. A
/// pack's text never reaches printf, so a stray conversion in it reads nothing.
std::string FormatWithNumber(std::string_view format, std::int32_t number) {
    std::string text;
    bool used = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 'd' && !used) {
                text += std::to_string(number);
                used = true;
                ++i;
                continue;
            }
            text.push_back('%');
            text.push_back(format[++i]);
            continue;
        }
        text.push_back(format[i]);
    }
    return text;
}

}  // namespace

std::string TimeUnitWord(const TextSource& texts, TimeUnit unit) {
    switch (unit) {
        case TimeUnit::Minutes:
            return texts.String(kMinutesString);
        case TimeUnit::Seconds:
            return texts.String(kSecondsString);
        case TimeUnit::Hours:
            break;
    }
    return texts.String(kHoursString);
}

std::string TimeLimitMessage(const TextSource& texts, LimitKind kind, std::int32_t limit,
                             TimeUnit unit) {
    const std::string format = texts.String(kind == LimitKind::TotalTime ? kTotalTimeLimitString
                                                                         : kCurrentTimeLimitString);
    return FormatWithText(FormatWithNumber(format, limit), TimeUnitWord(texts, unit));
}

std::string PriceLimitMessage(const TextSource& texts, LimitKind kind,
                              const std::string& priceText) {
    const std::string format = texts.String(
        kind == LimitKind::TotalPrice ? kTotalPriceLimitString : kCurrentPriceLimitString);
    return FormatWithText(format, priceText);
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
