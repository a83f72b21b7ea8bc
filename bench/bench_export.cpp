// The call list's export against the physical limit: writing the same bytes raw, side by side
// in each iteration under the same load. Whole process (run first, while this process is still
// small): `orvanta-cli calls export FILE
// --all-months` (loading included) against a raw write of its output, with the process's peak
// resident memory against the bytes of the call log. In process: the loaded list of a million
// calls exported to a file in each form. Goals: export/raw <= 2.0 (counter
// vs_raw), peak <= 1.5 x the log bytes (counter peak_ratio).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/text_table_source.h"
#include "bench_month_files.h"
#include "settings/settings.h"
#include "viewer/call_export.h"
#include "viewer/call_list.h"

extern char** environ;

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

/// Writes `bytes` to `path` as fast as the system takes them: the physical limit.
void WriteRaw(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

const char* const kFormats[] = {"text", "csv", "json"};

/// Our resident bytes now (VmRSS).
long ResidentBytes() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    long kb = 0;
    char line[256];
    while (f && std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) {
            break;
        }
    }
    if (f) {
        std::fclose(f);
    }
    return kb * 1024;
}

/// Sets our peak resident memory back to what we hold now: a child spawned from our memory
/// starts its peak from our peak.
void ResetPeak() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

/// Runs orvanta-cli with `args`; its exit status and peak resident bytes. The child's peak
/// starts from ours (it is spawned from our memory), so it is run before anything large is
/// loaded here, with our peak reset; counter parent_MB shows what that floor was.
int RunCli(const std::vector<std::string>& args, long& peakBytes) {
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        return -1;
    }
    peakBytes = usage.ru_maxrss * 1024;  // kilobytes
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CliExport(benchmark::State& state) {
    const auto& files = ov::bench::TheMonthFiles();
    const std::string out = files.root + "/cli-export." + kFormats[state.range(0)];
    const std::string copy = out + ".raw";
    const std::vector<std::string> args{OV_CLI_PATH,
                                        "--home",
                                        files.root,
                                        "calls",
                                        "export",
                                        out,
                                        "--all-months",
                                        "--lang",
                                        "1033",
                                        "--format",
                                        kFormats[state.range(0)]};
    std::size_t outBytes = 0;
    double exported = 0;
    double raw = 0;
    long peak = 0;
    malloc_trim(0);
    const long parent = ResidentBytes();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        long runPeak = 0;
        ResetPeak();
        if (RunCli(args, runPeak) != 0) {
            state.SkipWithError("orvanta-cli failed");
            return;
        }
        exported += Seconds(std::chrono::steady_clock::now() - start);
        peak = std::max(peak, runPeak);
        state.PauseTiming();
        {
            // Read for the raw write and given back before the next run: the child's peak
            // starts from ours.
            const std::string bytes = *ov::ReadWholeFile(out);
            outBytes = bytes.size();
            start = std::chrono::steady_clock::now();
            WriteRaw(copy, bytes);
            raw += Seconds(std::chrono::steady_clock::now() - start);
        }
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["out_MB"] = static_cast<double>(outBytes) / 1e6;
    state.counters["vs_raw"] = exported / raw;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_ratio"] = static_cast<double>(peak) / static_cast<double>(files.bytes);
    state.counters["parent_MB"] = static_cast<double>(parent) / 1e6;
}
BENCHMARK(BM_CliExport)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Export(benchmark::State& state) {
    const auto& files = ov::bench::TheMonthFiles();
    const auto format = static_cast<ov::ExportFormat>(state.range(0));
    ov::FixedTextSource texts;
    ov::Settings settings(texts);
    ov::ManualClock clock(ov::bench::InLastMonth());
    ov::CallList list(settings, texts, files.folder, clock);
    list.Reload();
    const std::string out = files.root + "/export." + kFormats[state.range(0)];
    const std::string copy = out + ".raw";
    std::string bytes;
    double exported = 0;
    double raw = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!ov::ExportCallsToFile(list, format, out, nullptr)) {
            state.SkipWithError("the export failed");
            return;
        }
        exported += Seconds(std::chrono::steady_clock::now() - start);
        state.PauseTiming();
        if (bytes.empty()) {
            bytes = *ov::ReadWholeFile(out);
        }
        start = std::chrono::steady_clock::now();
        WriteRaw(copy, bytes);
        raw += Seconds(std::chrono::steady_clock::now() - start);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["out_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["vs_raw"] = exported / raw;
}
BENCHMARK(BM_Export)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
