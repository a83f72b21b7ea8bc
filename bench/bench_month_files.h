// The call log the call list benchmarks read: 340 month files (August 1998 to November 2026)
// holding a million calls between them, with names as they repeat in a log.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "calllog/call_log_file.h"
#include "platform/file_util.h"

namespace ov::bench {

inline constexpr int kRecords = 1'000'000;
inline constexpr int kMonths = 340;
inline constexpr int kFirstMonth = 1998 * 12 + 7;

/// Made once per process in a fresh folder under /tmp, removed again at the process's end.
struct MonthFiles {
    MonthFiles() = default;
    MonthFiles(const MonthFiles&) = delete;
    MonthFiles& operator=(const MonthFiles&) = delete;
    ~MonthFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string root;    // a data root
    std::string folder;  // its LogData
    std::vector<std::string> paths;
    std::size_t bytes = 0;
};

inline const MonthFiles& TheMonthFiles() {
    static MonthFiles files;
    static const bool made = [](MonthFiles& f) {
        f.root = "/tmp/orvanta-bench-calls-XXXXXX";
        if (!mkdtemp(f.root.data())) {
            std::abort();
        }
        f.folder = f.root + "/LogData";
        const char* entries[] = {"Demo ISP", "Mobile Internet", "Office", "Backup line 2"};
        int written = 0;
        for (int m = 0; m < kMonths; ++m) {
            const int number = kFirstMonth + m;
            const int count = (kRecords - written) / (kMonths - m);
            std::tm tm{};
            tm.tm_year = number / 12 - 1900;
            tm.tm_mon = number % 12;
            tm.tm_mday = 1;
            tm.tm_isdst = -1;
            const Time32 start = FromLocalTime(tm);
            std::string bytes;
            for (int i = 0; i < count; ++i) {
                CallRecord r;
                r.kind = i % 10 == 0 ? KindUnconnected : KindConnected;
                r.startTime = start + 3600 + i * 600;
                r.connectedSeconds = r.kind == KindConnected ? 60 + i % 3600 : 0;
                r.dialingSeconds = 20 + i % 30;
                r.price = static_cast<float>(i % 500) / 10.0f;
                r.userName = i % 7 ? "jane.doe" : "bob";
                r.entryName = entries[i % 4];
                r.deviceName = i % 3 ? "ttyUSB0" : "ttyACM1";
                r.deviceType = "modem";
                bytes += EncodeCallRecord(r);
            }
            written += count;
            const std::string path = MonthFilePath(f.folder, number / 12, number % 12 + 1);
            if (!EnsureFolder(f.folder) || !WriteFileAtomically(path, bytes)) {
                std::abort();
            }
            f.paths.push_back(path);
            f.bytes += bytes.size();
        }
        return true;
    }(files);
    (void)made;
    return files;
}

/// A time in the last month of the files.
inline Time32 InLastMonth() {
    std::tm tm{};
    const int number = kFirstMonth + kMonths - 1;
    tm.tm_year = number / 12 - 1900;
    tm.tm_mon = number % 12;
    tm.tm_mday = 15;
    tm.tm_isdst = -1;
    return FromLocalTime(tm);
}

}  // namespace ov::bench
