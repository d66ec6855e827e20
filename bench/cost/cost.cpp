// What the clock costs on Windows beside its floor: starts tintavo_floor.exe and tintavo.exe side by side,
// lets them run, and prints each one's processor time (user + kernel) and cycles; then reports the clock's
// session as locked, as Windows does when the user locks it, and prints the figures again. A figure, not
// a check: it exits 0 whatever the figures are, and 1 when it could not measure.
//   tintavo_cost.exe [SECONDS]     (each period, default 60)
#include "tests/support/started_process.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr const wchar_t* kClockTitle = L"ZuziradOdor Digital Tintavo";
constexpr DWORD kSettleMs = 5000;     // past start-up and the first paint
constexpr DWORD kLockSettleMs = 2000; // for the posted lock to be taken

struct Sample {
    ULONGLONG processor100ns = 0; // user + kernel
    ULONG64 cycles = 0;
    bool cyclesKnown = false;
};

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

Sample Take(HANDLE process) {
    Sample sample;
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (GetProcessTimes(process, &creation, &exit, &kernel, &user)) sample.processor100ns = Ticks(kernel) + Ticks(user);
    sample.cyclesKnown = QueryProcessCycleTime(process, &sample.cycles) != FALSE;
    return sample;
}

// One program run for the measurement, closed at the end.
class Program {
public:
    explicit Program(const char* exe) : exe_{exe}, process_{exe} {
        if (!process_.Started())
            (void)std::fprintf(stderr, "cost: could not start %s (error %lu)\n", exe, process_.StartError());
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        // Closed as a user would; the process's owner ends it if it is still there after that.
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        (void)process_.Ended(5000);
    }

    bool Started() const { return process_.Started(); }
    HANDLE Handle() const { return process_.Handle(); }
    DWORD Id() const { return process_.Id(); }
    HWND Window() const { return window_; }

    // Whether the program shows its window (with this title, if given) within 30 s.
    bool WindowShown(const wchar_t* title) {
        window_ = tintavo::WaitForWindow(process_.Id(), title);
        if (!window_) (void)std::fprintf(stderr, "cost: no window of %s\n", exe_);
        return window_ != nullptr;
    }

private:
    const char* exe_;
    tintavo::StartedProcess process_;
    HWND window_ = nullptr;
};

void PrintRow(const char* name, const Sample& before, const Sample& after, double seconds) {
    const double processor = static_cast<double>(after.processor100ns - before.processor100ns) / 1e7;
    (void)std::printf("  %-16s %10.3f s %10.3f s/min", name, processor, processor * 60.0 / seconds);
    if (before.cyclesKnown && after.cyclesKnown) {
        const auto cycles = static_cast<double>(after.cycles - before.cycles);
        (void)std::printf(" %16.0f %14.0f /s\n", cycles, cycles / seconds);
    } else {
        (void)std::printf(" %16s\n", "not reported");
    }
}

// Both programs over one period: the figures before and after.
struct Period {
    Sample floorBefore, floorAfter, clockBefore, clockAfter;
};

Period Measure(const Program& floorProgram, const Program& clockProgram, DWORD milliseconds) {
    Period period;
    period.floorBefore = Take(floorProgram.Handle());
    period.clockBefore = Take(clockProgram.Handle());
    Sleep(milliseconds);
    period.floorAfter = Take(floorProgram.Handle());
    period.clockAfter = Take(clockProgram.Handle());
    return period;
}

void PrintPeriod(const char* title, const char* clockName, const Period& period, double seconds) {
    (void)std::printf("\n%s, %.0f s:\n  %-16s %12s %16s %16s %17s\n", title, seconds, "", "processor",
                      "per minute", "cycles", "per second");
    PrintRow("floor", period.floorBefore, period.floorAfter, seconds);
    PrintRow(clockName, period.clockBefore, period.clockAfter, seconds);
}

ULONGLONG ProcessorOf(const Sample& before, const Sample& after) { return after.processor100ns - before.processor100ns; }

} // namespace

int wmain(int argc, wchar_t** argv) {
    const long seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
    if (argc > 2 || seconds <= 0 || seconds > 3600) {
        (void)std::fprintf(stderr, "usage: tintavo_cost.exe [SECONDS]\n");
        return 2;
    }
    const auto periodMs = static_cast<DWORD>(seconds * 1000);

    Program floorProgram{TINTAVO_FLOOR_EXE};
    Program clockProgram{TINTAVO_EXE};
    if (!floorProgram.Started() || !clockProgram.Started() || !floorProgram.WindowShown(nullptr) ||
        !clockProgram.WindowShown(kClockTitle))
        return 1;
    Sleep(kSettleMs);

    const auto period = static_cast<double>(seconds);
    const Period visible = Measure(floorProgram, clockProgram, periodMs);

    // The session as locked: what the clock is told when the user locks it (the session id is its own).
    DWORD session = 0;
    if (!ProcessIdToSessionId(clockProgram.Id(), &session) ||
        !PostMessageW(clockProgram.Window(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, static_cast<LPARAM>(session))) {
        (void)std::fprintf(stderr, "cost: could not report the session locked (error %lu)\n", GetLastError());
        return 1;
    }
    Sleep(kLockSettleMs);
    const Period locked = Measure(floorProgram, clockProgram, periodMs);

    (void)std::printf("tintavo.exe beside tintavo_floor.exe: processor time (user + kernel) and cycles\n");
    PrintPeriod("side by side", "clock", visible, period);
    PrintPeriod("the clock's session reported locked", "clock (locked)", locked, period);
    const ULONGLONG floorTime = ProcessorOf(visible.floorBefore, visible.floorAfter);
    const ULONGLONG clockTime = ProcessorOf(visible.clockBefore, visible.clockAfter);
    if (floorTime > 0) {
        (void)std::printf("\nclock against the floor, processor: x %.2f\n",
                          static_cast<double>(clockTime) / static_cast<double>(floorTime));
    } else {
        // Wine 8 gives no processor time of another process (scripts/measure.sh reads Linux's instead).
        (void)std::printf("\nno processor time reported for the floor: no ratio\n");
    }
    return 0;
}
