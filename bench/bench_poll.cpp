// The cost of one poll cycle against the simulated dial-up service, with no connection and
// with one. The figure that matters is CPU time per hour of polling at one cycle every 2 s,
// reported next to the hour it is spent in (the physical limit: one core for that hour).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "monitor/connection_monitor.h"
#include "platform/ras/ras_sim.h"

namespace {

std::string MakeStateFolder() {
    std::string pattern = "/tmp/orvanta-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::abort();
    }
    return pattern;
}

void BM_PollCycle(benchmark::State& state) {
    const std::string folder = MakeStateFolder();
    ov::SimRasProvider sim(folder + "/ras-sim.state", nullptr);
    sim.Reset();
    if (state.range(0) > 0) {
        ov::HRASCONN handle = 0;
        sim.Dial("Demo ISP", ov::RASCS_Connected, handle);
    }
    ov::RasApi ras(sim);
    ov::ManualClock clock(1'000'000'000);
    ov::ConnectionMonitor monitor(ras, clock);
    timespec begin{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &begin);
    for (auto _ : state) {
        monitor.Poll();
        clock.Advance(2);
    }
    timespec end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    const double cpuPerCycle = (static_cast<double>(end.tv_sec - begin.tv_sec) +
                                static_cast<double>(end.tv_nsec - begin.tv_nsec) * 1e-9) /
                               static_cast<double>(state.iterations());
    // One cycle every 2 s: 1800 cycles in an hour of polling, against that hour of one core.
    constexpr double kCyclesPerHour = 3600.0 / 2.0;
    state.counters["cpu_ms_per_hour"] = cpuPerCycle * kCyclesPerHour * 1e3;
    state.counters["share_of_one_core"] = cpuPerCycle * kCyclesPerHour / 3600.0;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PollCycle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
