// The call list's reload in all-months mode against the physical limit: reading the same month
// files raw (`read` into a buffer, nothing decoded). Goals: reload/raw <= 2.0, and the memory
// the loaded records take <= 1.5 x the bytes of their files (counters mem_ratio and
// heap_ratio: the list's own count, and what the heap grew by).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/text_table_source.h"
#include "calllog/call_log_file.h"
#include "platform/file_util.h"
#include "settings/settings.h"
#include "viewer/call_list.h"

namespace {

constexpr int kRecords = 1'000'000;
constexpr int kMonths = 340;  // August 1998 to November 2026
constexpr int kFirstMonth = 1998 * 12 + 7;

struct Files {
    std::string folder;
    std::vector<std::string> paths;
    std::size_t bytes = 0;
};

/// 340 month files holding a million calls between them, with names as they repeat in a log.
const Files& MonthFiles() {
    static const Files files = [] {
        Files f;
        f.folder = "/tmp/orvanta-bench-calls-XXXXXX";
        if (!mkdtemp(f.folder.data())) {
            std::abort();
        }
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
            const ov::Time32 start = ov::FromLocalTime(tm);
            std::string bytes;
            for (int i = 0; i < count; ++i) {
                ov::CallRecord r;
                r.kind = i % 10 == 0 ? ov::KindUnconnected : ov::KindConnected;
                r.startTime = start + 3600 + i * 600;
                r.connectedSeconds = r.kind == ov::KindConnected ? 60 + i % 3600 : 0;
                r.dialingSeconds = 20 + i % 30;
                r.price = static_cast<float>(i % 500) / 10.0f;
                r.userName = i % 7 ? "jane.doe" : "bob";
                r.entryName = entries[i % 4];
                r.deviceName = i % 3 ? "ttyUSB0" : "ttyACM1";
                r.deviceType = "modem";
                bytes += ov::EncodeCallRecord(r);
            }
            written += count;
            const std::string path = ov::MonthFilePath(f.folder, number / 12, number % 12 + 1);
            ov::WriteFileAtomically(path, bytes);
            f.paths.push_back(path);
            f.bytes += bytes.size();
        }
        return f;
    }();
    return files;
}

/// A clock in the last month of the files.
ov::Time32 LastMonth() {
    std::tm tm{};
    const int number = kFirstMonth + kMonths - 1;
    tm.tm_year = number / 12 - 1900;
    tm.tm_mon = number % 12;
    tm.tm_mday = 15;
    tm.tm_isdst = -1;
    return ov::FromLocalTime(tm);
}

void BM_RawRead(benchmark::State& state) {
    const Files& files = MonthFiles();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& path : files.paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ssize_t n = 0;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
                total += static_cast<std::size_t>(n);
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

void BM_ReloadAllMonths(benchmark::State& state) {
    const Files& files = MonthFiles();
    ov::FixedTextSource texts;
    ov::Settings settings(texts);
    ov::ManualClock clock(LastMonth());
    const std::size_t heapBefore = mallinfo2().uordblks;
    ov::CallList list(settings, texts, files.folder, clock);
    for (auto _ : state) {
        list.Reload();
        benchmark::DoNotOptimize(list.Count());
    }
    const std::size_t heapAfter = mallinfo2().uordblks;
    if (list.Count() != kRecords) {
        state.SkipWithError("not every record was loaded");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
    state.counters["records"] = static_cast<double>(list.Count());
    state.counters["file_MB"] = static_cast<double>(files.bytes) / 1e6;
    state.counters["mem_MB"] = static_cast<double>(list.MemoryBytes()) / 1e6;
    state.counters["mem_ratio"] =
        static_cast<double>(list.MemoryBytes()) / static_cast<double>(files.bytes);
    state.counters["heap_ratio"] =
        static_cast<double>(heapAfter - heapBefore) / static_cast<double>(files.bytes);
}
BENCHMARK(BM_ReloadAllMonths)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
