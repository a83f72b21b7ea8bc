#include "calllog/call_log_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace ov {
namespace {

CallRecord Call(const std::string& entry, Time32 start, std::int32_t connected) {
    CallRecord r;
    r.kind = connected > 0 ? KindConnected : KindUnconnected;
    r.startTime = start;
    r.connectedSeconds = connected;
    r.dialingSeconds = 20;
    r.price = 1.5f;
    r.userName = "jane";
    r.entryName = entry;
    r.deviceName = "ttyUSB0";
    r.deviceType = "modem";
    return r;
}

std::vector<CallRecord> LoadAll(const std::string& folder, int year, int monthIndex) {
    std::vector<CallRecord> out;
    LoadMonth(folder, year, monthIndex, [&](const CallRecord& r) { out.push_back(r); });
    return out;
}

std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        if (e.path().filename().string().rfind(prefix, 0) == 0) {
            out.push_back(e.path().string());
        }
    }
    return out;
}

TEST(CallLogFileTest, MonthFileNames) {
    EXPECT_EQ(MonthFilePath("/d", 1999, 1), "/d/OV1999_1.ovl");
    EXPECT_EQ(MonthFilePath("/d", 1999, 4), "/d/OV1999_4.ovl");
    EXPECT_EQ(MonthFilePath("/d", 2026, 12), "/d/OV2026_12.ovl");
}

TEST(CallLogFileTest, AppendThenLoadKeepsTheOrderOfWriting) {
    test::TempDir dir;
    CallLogAppender appender;
    const std::string path = MonthFilePath(dir.Path(), 2026, 3);
    // A long call that started earlier is written after a short one that started later.
    ASSERT_TRUE(appender.Append(path, Call("short", 2000, 60)));
    ASSERT_TRUE(appender.Append(path, Call("long", 1000, 3600)));
    const auto records = LoadAll(dir.Path(), 2026, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], Call("short", 2000, 60));
    EXPECT_EQ(records[1], Call("long", 1000, 3600));

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(LoadMonth(dir.Path(), 2026, 3, [](const CallRecord&) {}));  // no April file
}

// A crash in the middle of an append leaves a torn tail of any length. Everything whole
// before it still loads, the next append moves the tail aside, and the new record is readable.
TEST(CallLogFileTest, TornTailOfEveryLength) {
    const CallRecord first = Call("first", 100, 10);
    const CallRecord torn = Call("torn one", 200, 20);
    const std::string whole = EncodeCallRecord(first);
    const std::string tornBytes = EncodeCallRecord(torn);
    for (std::size_t cut = 1; cut < tornBytes.size(); ++cut) {
        test::TempDir dir;
        const std::string path = MonthFilePath(dir.Path(), 2026, 1);
        test::WriteFileOrDie(path, whole + tornBytes.substr(0, cut));

        auto records = LoadAll(dir.Path(), 2026, 0);
        ASSERT_EQ(records.size(), 1u) << cut;
        EXPECT_EQ(records[0], first);

        CallLogAppender appender;
        ASSERT_TRUE(appender.Append(path, Call("next", 300, 30))) << cut;
        records = LoadAll(dir.Path(), 2026, 0);
        ASSERT_EQ(records.size(), 2u) << cut;
        EXPECT_EQ(records[1], Call("next", 300, 30));
        const auto kept = FilesStartingWith(dir.Path(), "OV2026_1.ovl.torn-");
        ASSERT_EQ(kept.size(), 1u) << cut;
        EXPECT_EQ(test::ReadFileOrEmpty(kept[0]), tornBytes.substr(0, cut));
    }
}

TEST(CallLogFileTest, DamageInTheMiddleIsMovedAsideAndSaid) {
    test::TempDir dir;
    const std::string path = MonthFilePath(dir.Path(), 2026, 6);
    const std::string first = EncodeCallRecord(Call("first", 100, 10));
    std::string damaged = EncodeCallRecord(Call("damaged", 200, 20));
    damaged.replace(kCallRecordFixedSize, 4, "\xff\xff\xff\xff");  // a negative text length
    const std::string after = EncodeCallRecord(Call("after", 300, 30));
    test::WriteFileOrDie(path, first + damaged + after);

    CallLogAppender appender;
    std::string notice;
    ASSERT_TRUE(appender.Append(path, Call("next", 400, 40), nullptr, &notice));
    const auto kept = FilesStartingWith(dir.Path(), "OV2026_6.ovl.torn-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(test::ReadFileOrEmpty(kept[0]), damaged + after);
    EXPECT_NE(notice.find(kept[0]), std::string::npos) << notice;
    EXPECT_NE(notice.find(std::to_string(damaged.size() + after.size()) + " bytes"),
              std::string::npos)
        << notice;
    const auto records = LoadAll(dir.Path(), 2026, 5);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].entryName, "next");

    // A whole file needs no repair and no word.
    notice.clear();
    ASSERT_TRUE(appender.Append(path, Call("last", 500, 50), nullptr, &notice));
    EXPECT_EQ(notice, "");
}

TEST(CallLogFileTest, TailAppearingBetweenAppendsIsNoticed) {
    test::TempDir dir;
    const std::string path = MonthFilePath(dir.Path(), 2026, 5);
    CallLogAppender appender;
    ASSERT_TRUE(appender.Append(path, Call("a", 1, 1)));
    // Another writer crashed meanwhile: the appender must not trust the size it remembers.
    {
        FILE* f = std::fopen(path.c_str(), "ab");
        std::fputs("\x01\x02\x03", f);
        std::fclose(f);
    }
    ASSERT_TRUE(appender.Append(path, Call("b", 2, 2)));
    const auto records = LoadAll(dir.Path(), 2026, 4);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].entryName, "b");
}

TEST(CallLogFileTest, FailuresLeaveTheFileWhole) {
    test::TempDir dir;
    CallLogAppender appender;
    std::string error;
    test::WriteFileOrDie(dir.File("in-the-way"), "");
    EXPECT_FALSE(appender.Append(dir.File("in-the-way/OV2026_1.ovl"), Call("x", 1, 1), &error));
    EXPECT_NE(error.find("in-the-way"), std::string::npos);
    // A folder that went away is made again.
    EXPECT_TRUE(appender.Append(dir.File("gone/OV2026_1.ovl"), Call("x", 1, 1), &error)) << error;

    // A planted link is not followed.
    const std::string target = dir.File("elsewhere");
    test::WriteFileOrDie(target, "");
    ASSERT_EQ(::symlink(target.c_str(), dir.File("OV2026_2.ovl").c_str()), 0);
    EXPECT_FALSE(appender.Append(dir.File("OV2026_2.ovl"), Call("x", 1, 1)));
    EXPECT_EQ(test::ReadFileOrEmpty(target), "");

    // Disk full half-way through a record: a child process with a small file size limit.
    const std::string path = MonthFilePath(dir.Path(), 2026, 3);
    ASSERT_TRUE(appender.Append(path, Call("kept", 1, 1)));
    const auto before = test::ReadFileOrEmpty(path);
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size() + 20),
                     static_cast<rlim_t>(before.size() + 20)};
        setrlimit(RLIMIT_FSIZE, &limit);
        CallLogAppender childAppender;
        _exit(childAppender.Append(path, Call("too big", 2, 2)) ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);  // the failure is reported, not hidden
    EXPECT_EQ(test::ReadFileOrEmpty(path), before);
}

}  // namespace
}  // namespace ov
