#pragma once

#include <cstdint>
#include <string>

#include "platform/text_source.h"
#include "settings/settings.h"
#include "tariff/tariff_meter.h"

namespace ov {

/// Which limit rule is active (the value of EventType). Any other value selects no rule.
enum class LimitKind : std::int32_t {
    TotalTime = 0,
    CurrentTime = 1,
    TotalPrice = 2,
    CurrentPrice = 3,
};

/// The unit of EventTime (the value of EventValueType); 3 or more counts as hours.
enum class TimeUnit : std::int32_t {
    Hours = 0,
    Minutes = 1,
    Seconds = 2,
};

/// The unit of a stored EventValueType: values outside 0-2 mean hours.
TimeUnit TimeUnitOf(std::int32_t eventValueType);
/// Seconds in one unit: 3600, 60 or 1.
std::int32_t TimeUnitSeconds(TimeUnit unit);
/// The language pack's strings of the limit messages: a time rule's "%d %s" (the limit and
/// the unit's word), a price rule's "%s" (the price text), and the three unit words.
inline constexpr unsigned kTotalTimeLimitString = 25310;
inline constexpr unsigned kCurrentTimeLimitString = 25311;
inline constexpr unsigned kTotalPriceLimitString = 25312;
inline constexpr unsigned kCurrentPriceLimitString = 25313;
inline constexpr unsigned kHoursString = 25314;
inline constexpr unsigned kMinutesString = 25315;
inline constexpr unsigned kSecondsString = 25316;

/// The unit's word in a limit message, from the pack ("hours", "minuts", "seconds").
std::string TimeUnitWord(const TextSource& texts, TimeUnit unit);

/// The message of a time rule: the pack's format with the limit and the unit word.
std::string TimeLimitMessage(const TextSource& texts, LimitKind kind, std::int32_t limit,
                             TimeUnit unit);
/// The message of a price rule: the pack's format with the price text.
std::string PriceLimitMessage(const TextSource& texts, LimitKind kind,
                              const std::string& priceText);

/// The message of the rule that fired last; emptied at every tick of the live display.
/// Window thread only.
extern std::string LimitMessage;
/// Set while the limit notification is open: no rule is evaluated meanwhile. Window thread only.
extern bool limitChecksSuspended;

/// A view on the running meter of the live display with a starting point of its own: the
/// current call counts from its start, the total from the stored totals. After the rule it
/// serves fires, it counts again from the start of the charging unit in which it fired (from
/// that tick when no unit runs), so the rule fires once per further full limit amount.
class LimitTracker {
public:
    /// `settings` gives the master switch EventUseNotification; it must outlive the tracker.
    explicit LimitTracker(const SettingsValues& settings) : m_settings(&settings) {}

    /// Tracks `meter` (not owned) from the given offsets.
    void Init(const TariffMeter* meter, std::int32_t timeOffset, float priceOffset);

    /// Seconds tracked: the meter's running time plus the time offset. 0 before Init.
    std::int32_t TrackedTime() const;
    /// Price tracked: the meter's total plus the price offset. 0 before Init.
    float TrackedPrice() const;

    /// True (and re-armed) when `limit` units of time lie strictly below the tracked time.
    bool CheckTime(std::int32_t limit, TimeUnit unit);
    /// True (and re-armed) when the tracked price lies strictly above `limit`.
    bool CheckPrice(float limit);

    const TariffMeter* meter() const { return m_meter; }
    std::int32_t timeOffset() const { return m_timeOffset; }
    float priceOffset() const { return m_priceOffset; }

private:
    void Rearm();

    const SettingsValues* m_settings;
    const TariffMeter* m_meter = nullptr;
    std::int32_t m_timeOffset = 0;
    float m_priceOffset = 0.0f;
};

}  // namespace ov
