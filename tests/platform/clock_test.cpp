#include "platform/clock.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

struct LocalCase {
    const char* tz;
    Time32 t;
    int year, month, day, hour, minute, second;
};

// Local time is the heart of the tariff: check both directions in zones with and without
// daylight saving, including the hour that does not exist and the one that happens twice.
TEST(ClockTest, LocalTimeBothWays) {
    const LocalCase cases[] = {
        {"UTC", 0, 1970, 1, 1, 0, 0, 0},
        {"Europe/Bratislava", 0, 1970, 1, 1, 1, 0, 0},
        {"Europe/Bratislava", 1711846800, 2024, 3, 31, 3, 0, 0},    // just after spring forward
        {"Europe/Bratislava", 1711846799, 2024, 3, 31, 1, 59, 59},  // just before it
        {"America/New_York", 1700000000, 2023, 11, 14, 17, 13, 20},
        {"UTC", 2147483647, 2038, 1, 19, 3, 14, 7},
    };
    for (const auto& c : cases) {
        test::ScopedEnv tz("TZ", std::string(c.tz));
        tzset();
        std::tm tm{};
        ASSERT_TRUE(ToLocalTime(c.t, tm)) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_year + 1900, c.year) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_mon + 1, c.month) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_mday, c.day) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_hour, c.hour) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_min, c.minute) << c.tz << " " << c.t;
        EXPECT_EQ(tm.tm_sec, c.second) << c.tz << " " << c.t;
        tm.tm_isdst = -1;
        EXPECT_EQ(FromLocalTime(tm), c.t) << c.tz;
    }
    tzset();
}

TEST(ClockTest, FromLocalTimeNormalisesAndRejectsOutOfRange) {
    test::ScopedEnv tz("TZ", std::string("UTC"));
    tzset();
    std::tm tm{};
    tm.tm_year = 70;
    tm.tm_mon = 0;
    tm.tm_mday = 32;  // 32 January is 1 February
    tm.tm_isdst = -1;
    EXPECT_EQ(FromLocalTime(tm), 31 * 86400);
    tm.tm_year = 200;  // 2100 does not fit 32 bits
    EXPECT_EQ(FromLocalTime(tm), -1);
    tzset();
}

TEST(ClockTest, ManualClockMovesOnlyWhenTold) {
    ManualClock clock(100);
    EXPECT_EQ(clock.Now(), 100);
    clock.Advance(5);
    EXPECT_EQ(clock.Now(), 105);
    clock.Set(7);
    EXPECT_EQ(clock.Now(), 7);
}

}  // namespace
}  // namespace ov
