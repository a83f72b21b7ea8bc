#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "support/temp_dir.h"

namespace ov::test {

/// Runs each test in Central European time (with daylight saving), where the tariff's
/// weekdays, clock times and month boundaries are known. The zone is in force from the
/// fixture's construction, so members of a derived fixture may already use local time.
class BratislavaTime : public ::testing::Test {
protected:
    BratislavaTime() { tzset(); }
    ~BratislavaTime() override {
        m_tz.reset();
        tzset();
    }
    BratislavaTime(const BratislavaTime&) = delete;
    BratislavaTime& operator=(const BratislavaTime&) = delete;

    /// Seconds since 1970 of a local time in Bratislava (noon unless told).
    static Time32 Local(int year, int month, int day, int hour = 12, int minute = 0,
                        int second = 0) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = second;
        tm.tm_isdst = -1;
        return FromLocalTime(tm);
    }

private:
    // Declared before anything a derived fixture holds, so it is set before their
    // construction and undone after their destruction.
    std::optional<ScopedEnv> m_tz{std::in_place, "TZ", std::string("Europe/Bratislava")};
};

}  // namespace ov::test
