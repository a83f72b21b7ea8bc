// PriceOfCall is run for every call the log writer stores and for every month the call list
// re-prices. The limit is one core: the figure is calls priced per second on one core, for
// random calls of up to 24 hours over a tariff with six active slots (two per day set, one of
// them over midnight in every set).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <ctime>
#include <random>
#include <vector>

#include "tariff/day_band.h"

namespace {

struct Call {
    ov::Time32 start;
    std::int32_t duration;
};

ov::Tariff SixSlotTariff() {
    ov::Tariff tariff;
    tariff.SetBand(ov::SlotIndex(ov::EveryDay, 0), {0, 479, 1.0f, 3});
    tariff.SetBand(ov::SlotIndex(ov::EveryDay, 1), {480, 1079, 2.0f, 1});
    tariff.SetBand(ov::SlotIndex(ov::Workdays, 0), {420, 1139, 3.0f, 1});
    tariff.SetBand(ov::SlotIndex(ov::Workdays, 1), {1140, 419, 1.5f, 2});
    tariff.SetBand(ov::SlotIndex(ov::Weekend, 0), {360, 1319, 1.0f, 2});
    tariff.SetBand(ov::SlotIndex(ov::Weekend, 1), {1320, 359, 0.5f, 10});
    return tariff;
}

std::vector<Call> RandomCalls(std::size_t count) {
    std::mt19937 random(20240331);
    // Starts anywhere in 2024, daylight-saving changes included.
    std::uniform_int_distribution<ov::Time32> start(1704063600, 1735686000);
    std::uniform_int_distribution<std::int32_t> duration(0, 86400);
    std::vector<Call> calls(count);
    for (Call& call : calls) {
        call = {start(random), duration(random)};
    }
    return calls;
}

void BM_PriceOfCall(benchmark::State& state) {
    setenv("TZ", "Europe/Bratislava", 1);
    tzset();
    const ov::Tariff tariff = SixSlotTariff();
    const std::vector<Call> calls = RandomCalls(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        const Call& call = calls[next];
        next = (next + 1) % calls.size();
        benchmark::DoNotOptimize(ov::PriceOfCall(tariff, call.start, call.duration));
    }
    state.counters["calls_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PriceOfCall)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
