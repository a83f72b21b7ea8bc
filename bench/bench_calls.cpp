// The call list's reload in all-months mode against the physical limit: reading the same month
// files raw (`read` into a buffer, nothing decoded). Goals: reload/raw <= 2.0 (counter
// vs_raw), and the memory the loaded records take <= 0.6 x the bytes of their files (counters
// mem_ratio and heap_ratio: the list's own count, and what the heap grew by).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/text_table_source.h"
#include "bench_month_files.h"
#include "settings/settings.h"
#include "viewer/call_list.h"

namespace {

using ov::bench::kRecords;

/// Reads every month file raw (`read` into a buffer, nothing decoded): the physical limit.
std::size_t ReadRaw(const ov::bench::MonthFiles& files, std::vector<char>& buffer) {
    std::size_t total = 0;
    for (const auto& path : files.paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
            total += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    return total;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_RawRead(benchmark::State& state) {
    const auto& files = ov::bench::TheMonthFiles();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadRaw(files, buffer));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

// Each iteration reloads, then (untimed) reads the same files raw, so that the ratio
// reload/raw (counter vs_raw) compares the two side by side under the same load.
void BM_ReloadAllMonths(benchmark::State& state) {
    const auto& files = ov::bench::TheMonthFiles();
    ov::FixedTextSource texts;
    ov::Settings settings(texts);
    ov::ManualClock clock(ov::bench::InLastMonth());
    std::vector<char> buffer(1 << 20);
    const std::size_t heapBefore = mallinfo2().uordblks;
    ov::CallList list(settings, texts, files.folder, clock);
    double reload = 0;
    double raw = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        list.Reload();
        benchmark::DoNotOptimize(list.Count());
        reload += Seconds(std::chrono::steady_clock::now() - start);
        state.PauseTiming();
        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadRaw(files, buffer));
        raw += Seconds(std::chrono::steady_clock::now() - start);
        state.ResumeTiming();
    }
    const std::size_t heapAfter = mallinfo2().uordblks;
    if (list.Count() != kRecords) {
        state.SkipWithError("not every record was loaded");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.bytes));
    state.counters["vs_raw"] = reload / raw;
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
