// What the clock's timer ticks cost, path by path: the time text refreshed every 10 ms, the caption
// redrawn once a second when its text changed, and the colour looked up once a second and changed.
// Prints nanoseconds per call and heap allocations per call; every path must make none.
#include "clock/color_schedule.h"
#include "clock/time_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

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

void CountAllocations(benchmark::State& state, long before) {
    state.counters["allocs/op"] = benchmark::Counter(static_cast<double>(allocations.load() - before),
                                                     benchmark::Counter::kAvgIterations);
}

// The 10 ms tick: one clock sample turned into the texts.
void TimeTextRefresh(benchmark::State& state) {
    TimeText text;
    int minuteOfDay = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        text = FormatTimeText(TimeOfDay{minuteOfDay / 60, minuteOfDay % 60});
        benchmark::DoNotOptimize(text);
        minuteOfDay = (minuteOfDay + 1) % 1440;
    }
    CountAllocations(state, before);
}
BENCHMARK(TimeTextRefresh);

// The caption tick with a new minute every time, so the text always differs from the last: the caption
// widened into a stack buffer as the clock window does, then compared with and stored in the label's
// wide string. The label's string holds a longest caption ("12:30 PM") before counting starts: past
// its short-string capacity (7 wide characters in libstdc++) it allocates once, at the first such
// caption, and keeps that capacity for every later one.
void CaptionChange(benchmark::State& state) {
    std::wstring shown = L"12:30 PM";
    int minuteOfDay = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        const TimeText text = FormatTimeText(minuteOfDay / 60, minuteOfDay % 60);
        const std::string_view caption = text.Caption();
        wchar_t wide[8];
        std::copy(caption.begin(), caption.end(), wide);
        const std::wstring_view next{wide, caption.size()};
        if (next != shown) shown = next;
        benchmark::DoNotOptimize(shown.data());
        minuteOfDay = (minuteOfDay + 1) % 1440;
    }
    CountAllocations(state, before);
}
BENCHMARK(CaptionChange);

// The colour tick: the schedule walked for the displayed hour, the background changed when the colour
// differs. Half-hour steps change the colour at nearly every call.
void ColorChange(benchmark::State& state) {
    Color background = 0;
    int minuteOfDay = 0;
    int changes = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        const TimeText text = FormatTimeText(minuteOfDay / 60, minuteOfDay % 60);
        if (const std::optional<Color> color = ScheduleColor(text.Hour(), minuteOfDay % 60);
            color && *color != background) {
            background = *color;
            ++changes;
        }
        benchmark::DoNotOptimize(background);
        minuteOfDay = (minuteOfDay + 30) % 1440;
    }
    CountAllocations(state, before);
    state.counters["changes/op"] =
        benchmark::Counter(static_cast<double>(changes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ColorChange);

} // namespace

BENCHMARK_MAIN();
