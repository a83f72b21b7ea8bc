// A writer killed at random moments must never cost a record that was written before the one
// in flight, and the next append must be readable.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "calllog/call_log_file.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

/// Record `i` of the endless sequence the child writes: short and long texts alternate.
CallRecord Nth(int i) {
    CallRecord r;
    r.kind = i % 2;
    r.startTime = 1'000'000 + i;
    r.connectedSeconds = i % 2 == 0 ? i : 0;
    r.dialingSeconds = i % 7;
    r.price = static_cast<float>(i) / 3.0f;
    r.userName = i % 3 == 0 ? std::string(1000, static_cast<char>('a' + i % 26)) : "u";
    r.entryName = "entry " + std::to_string(i);
    r.deviceName = std::string(static_cast<std::size_t>(i % 200), 'n');
    r.deviceType = "modem";
    return r;
}

TEST(CallLogCrashTest, KilledWritersLoseNothingWhole) {
    test::TempDir dir;
    const std::string path = MonthFilePath(dir.Path(), 2026, 6);
    std::mt19937 random(12345);
    constexpr int kKillPoints = 1000;
    int next = 0;  // the first record the next child writes
    for (int kill = 0; kill < kKillPoints; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CallLogAppender appender;
            for (int i = next;; ++i) {
                appender.Append(path, Nth(i));
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        // Every record in the file is the sequence, in order, with nothing lost before the end.
        int count = 0;
        LoadMonth(dir.Path(), 2026, 5, [&](const CallRecord& r) {
            ASSERT_EQ(r, Nth(count)) << "record " << count << " after kill " << kill;
            ++count;
        });
        ASSERT_GE(count, next) << "a whole record was lost at kill " << kill;
        next = count;
    }
    // And the writer that comes after the last crash is read back.
    CallLogAppender appender;
    ASSERT_TRUE(appender.Append(path, Nth(next)));
    int count = 0;
    LoadMonth(dir.Path(), 2026, 5, [&](const CallRecord&) { ++count; });
    EXPECT_EQ(count, next + 1);
}

}  // namespace
}  // namespace ov
