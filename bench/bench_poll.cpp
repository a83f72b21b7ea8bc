// The cost of one poll cycle against the simulated dial-up service, with no connection and
// with one. The figure that matters is CPU time per hour of polling at one cycle every 2 s,
// reported next to the hour it is spent in (the physical limit: one core for that hour).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
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
    for (auto _ : state) {
        monitor.Poll();
        clock.Advance(2);
    }
    constexpr double kCyclesPerHour = 3600.0 / 2.0;
    state.counters["cpu_s_per_hour"] =
        benchmark::Counter(kCyclesPerHour, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PollCycle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
