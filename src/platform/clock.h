#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>

namespace ov {

/// Seconds since 1970-01-01 00:00:00 UTC in the signed 32-bit form that call records and
/// tariff rules store.
using Time32 = std::int32_t;

/// Where the program reads the current time; tests inject a clock they can move.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Time32 Now() const = 0;
};

/// The C library clock.
class SystemClock final : public Clock {
public:
    Time32 Now() const override;
};

/// A clock that only moves when told to; for tests and simulations. Safe to read from a
/// worker thread while the test moves it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Time32 now = 0) : m_now(now) {}
    Time32 Now() const override { return m_now.load(); }
    void Set(Time32 now) { m_now = now; }
    void Advance(Time32 seconds) { m_now += seconds; }

private:
    std::atomic<Time32> m_now;
};

/// The process-wide system clock, for code that has no clock injected.
const Clock& DefaultClock();

/// Local broken-down time of `t` (the C library's local time, honouring TZ).
/// Returns false when the conversion fails.
bool ToLocalTime(Time32 t, std::tm& out);

/// Seconds since 1970 of a local broken-down time, normalising out-of-range fields as mktime
/// does (tm_isdst -1 lets the C library decide). Returns -1 when the time cannot be represented.
Time32 FromLocalTime(std::tm local);

}  // namespace ov
