#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "support/temp_dir.h"

namespace ov::test {

/// Runs each test in Central European time (with daylight saving), where the tariff's
/// weekdays and clock times are known.
class BratislavaTime : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override {
        m_tz.reset();
        tzset();
    }

    /// Seconds since 1970 of a local time in Bratislava.
    static Time32 Local(int year, int month, int day, int hour, int minute, int second) {
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
    std::optional<ScopedEnv> m_tz{std::in_place, "TZ", std::string("Europe/Bratislava")};
};

}  // namespace ov::test
