// What the clock's timer ticks cost: the time text refreshed every 10 ms, the colour looked up once a second.
// Prints nanoseconds per call and heap allocations per call (the 10 ms path must make none).
#include "clock/color_schedule.h"
#include "clock/time_text.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc{};
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace tintavo;

// The 10 ms tick: one clock sample turned into the two texts.
void TimeTextRefresh(benchmark::State& state) {
    TimeText text;
    int minuteOfDay = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        text = FormatTimeText(TimeOfDay{minuteOfDay / 60, minuteOfDay % 60});
        benchmark::DoNotOptimize(text);
        minuteOfDay = (minuteOfDay + 1) % 1440;
    }
    state.counters["allocs/op"] = benchmark::Counter(static_cast<double>(allocations.load() - before),
                                                     benchmark::Counter::kAvgIterations);
}
BENCHMARK(TimeTextRefresh);

// The colour tick: the schedule walked for the displayed hour.
void ScheduleLookup(benchmark::State& state) {
    int minuteOfDay = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        const TimeText text = FormatTimeText(minuteOfDay / 60, minuteOfDay % 60);
        benchmark::DoNotOptimize(ScheduleColor(text.Hour(), minuteOfDay % 60));
        minuteOfDay = (minuteOfDay + 7) % 1440;
    }
    state.counters["allocs/op"] = benchmark::Counter(static_cast<double>(allocations.load() - before),
                                                     benchmark::Counter::kAvgIterations);
}
BENCHMARK(ScheduleLookup);

} // namespace

BENCHMARK_MAIN();
