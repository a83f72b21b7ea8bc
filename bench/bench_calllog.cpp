// Loading call log months against the physical limit: reading the same bytes raw (`read` into
// a buffer, nothing decoded). The ratio load/raw is the figure to watch; the goal is <= 2.0.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "calllog/call_log_file.h"
#include "platform/file_util.h"

namespace {

constexpr int kRecords = 1'000'000;
constexpr int kMonths = 10;

/// Ten month files holding a million typical calls between them.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/orvanta-bench-log-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::abort();
        }
        for (int m = 0; m < kMonths; ++m) {
            std::string bytes;
            for (int i = 0; i < kRecords / kMonths; ++i) {
                ov::CallRecord r;
                r.kind = i % 10 == 0 ? ov::KindUnconnected : ov::KindConnected;
                r.startTime = 1'700'000'000 + i * 600;
                r.connectedSeconds = i % 3600;
                r.dialingSeconds = 20 + i % 30;
                r.price = static_cast<float>(i % 500) / 10.0f;
                r.userName = "jane.doe";
                r.entryName = i % 2 ? "Demo ISP" : "Mobile Internet";
                r.deviceName = "ttyUSB0";
                r.deviceType = "modem";
                bytes += ov::EncodeCallRecord(r);
            }
            ov::WriteFileAtomically(ov::MonthFilePath(pattern, 2025, m + 1), bytes);
        }
        return pattern;
    }();
    return folder;
}

void BM_LoadMonths(benchmark::State& state) {
    const std::string& folder = Folder();
    for (auto _ : state) {
        long calls = 0;
        float price = 0;
        for (int m = 0; m < kMonths; ++m) {
            ov::LoadMonth(folder, 2025, m, [&](const ov::CallRecord& r) {
                ++calls;
                price += r.price;
            });
        }
        benchmark::DoNotOptimize(price);
        if (calls != kRecords) {
            state.SkipWithError("wrong record count");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LoadMonths)->Unit(benchmark::kMillisecond);

void BM_RawRead(benchmark::State& state) {
    const std::string& folder = Folder();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::size_t total = 0;
        for (int m = 0; m < kMonths; ++m) {
            // As the loader does: a fresh buffer the size of the file, filled by read.
            const std::string path = ov::MonthFilePath(folder, 2025, m + 1);
            const int fd = ::open(path.c_str(), O_RDONLY);
            std::string data(std::filesystem::file_size(path), '\0');
            std::size_t used = 0;
            ssize_t n = 0;
            while ((n = ::read(fd, data.data() + used, data.size() - used)) > 0) {
                used += static_cast<std::size_t>(n);
            }
            ::close(fd);
            total += used;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
