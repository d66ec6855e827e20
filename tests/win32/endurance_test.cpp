// Long runs of the real windows: a day on the test's clock and two hundred switches between the clock
// windows with the other commands in between, in which nothing the process holds grows from one minute to
// the next; and a storm of commands.
#include "windows/program_windows.h"

#include "window_test_support.h"

#include <psapi.h>
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <random>
#include <set>
#include <utility>

namespace tintavo {
namespace {

using test_support::BlinkTimer;
using test_support::Choose;
using test_support::CloseBox;
using test_support::ColorTimer;
using test_support::now;
using test_support::QuitPosted;
using test_support::RunPending;
using test_support::Tick;
using test_support::TimerTicks;
using test_support::TimeTimer;

// The timers of these windows that tick in the next ms milliseconds, by window and id, while messages run.
// Only the clock windows': on Windows, system windows of the thread (input methods, say) own timers too.
std::set<std::pair<HWND, UINT_PTR>> TimersTicking(DWORD ms, std::initializer_list<HWND> windows) {
    TimerTicks().clear();
    test_support::PumpUntil([] { return false; }, ms);
    std::set<std::pair<HWND, UINT_PTR>> ticking;
    for (const auto& [timer, ticks] : TimerTicks())
        if (std::find(windows.begin(), windows.end(), timer.first) != windows.end()) ticking.insert(timer);
    return ticking;
}

// ---- What the process holds, to compare before and after a long run -----------------------------------

// GDI objects of the process. Windows counts them itself, but Wine's GetGuiResources is a stub that
// answers 0: there the process's GDI handle table is counted instead. Both keep that table in user
// memory (PEB GdiSharedHandleTable, at most 65536 entries); an entry with a non-zero type is a live
// object. Windows notes the owning process in each entry (its table holds the whole session); Wine
// leaves the owner 0, as its table holds this process's objects only.
int GdiObjectCount() {
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(counted);
    struct Entry {
        void* kernelAddress;
        std::uint16_t processId, count, upper, type;
        void* userAddress;
    };
    static_assert(sizeof(Entry) == (sizeof(void*) == 8 ? 24 : 16));
    constexpr std::size_t kTableInPeb = sizeof(void*) == 8 ? 0xF8 : 0x94;
    constexpr int kMaxEntries = 65536;
    // The documented query for the PEB's address (NtCurrentTeb would do, but GCC warns on its inline read).
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const std::byte*>(basic.PebBaseAddress);
    std::uintptr_t address = 0; // the table's, held in the PEB
    std::memcpy(&address, peb + kTableInPeb, sizeof address);
    const auto* table = reinterpret_cast<const Entry*>(address);
    if (!table) return -1;
    const auto self = static_cast<std::uint16_t>(GetCurrentProcessId());
    int count = 0;
    for (int i = 0; i < kMaxEntries; ++i)
        if (table[i].type != 0 && (table[i].processId == self || table[i].processId == 0)) ++count;
    return count;
}

// This thread's windows: the top-level ones and all their descendants.
int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM total) -> BOOL {
            ++*reinterpret_cast<int*>(total);
            EnumChildWindows(
                window, [](HWND, LPARAM all) -> BOOL { return ++*reinterpret_cast<int*>(all), TRUE; }, total);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Bytes in use in all of the process's heaps (the C++ runtime's and the system libraries' included).
std::size_t HeapBytesInUse() {
    HANDLE heaps[256];
    const DWORD count = (std::min)(GetProcessHeaps(256, heaps), DWORD{256});
    std::size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// Memory committed for the process alone (private bytes; Wine reports it here, not in PrivateUsage).
std::size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Answers the colour dialog with OK and a new colour every other time, Cancel otherwise.
int promptCalls = 0;
bool AlternatingPrompt(CHOOSECOLORW& dialog) {
    ++promptCalls;
    if (promptCalls % 2 == 0) return false;
    dialog.rgbResult = RGB(promptCalls % 256, 0, 255);
    return true;
}

ClockForm& LoadedClock() {
    if (frmMain().IsLoaded()) return frmMain();
    return Form3();
}

// One minute of the loaded clock window: the ticks of its three timers at that time, then its paint.
void RunMinute(int minuteOfDay) {
    now = {minuteOfDay / 60, minuteOfDay % 60};
    const HWND window = LoadedClock().Handle();
    Tick(window, TimeTimer()); // samples the time and enables the colour timer
    Tick(window, BlinkTimer());
    Tick(window, ColorTimer());
    UpdateWindow(window);
}

struct Holdings {
    int gdiObjects;
    int windows;
    std::size_t heapBytes;
    std::size_t committedBytes;
};

Holdings Now() {
    RunPending(); // paints and other messages still waiting
    return {GdiObjectCount(), ThreadWindowCount(), HeapBytesInUse(), CommittedBytes()};
}

class EnduranceTest : public test_support::MainClockTest {
protected:
    void SetUp() override {
        CommonDialog::UsePrompt(&AlternatingPrompt);
        MainClockTest::SetUp();
    }

    // One round: minutes on the main clock with the round's other commands, Small, minutes on the
    // compact clock, and its close box back to the main clock. The minutes run on from the last round.
    void Round(int round, int minutes) {
        for (int i = 0; i < minutes / 2; ++i)
            RunMinuteChecked();
        switch (round % 4) {
        case 0: // both About windows; Small closes them
            Choose(L"About", L"Tintavo");
            Choose(L"About", L"ZuziradOdor");
            break;
        case 1:
            Choose(L"File", L"Display");
            break;
        case 2:
            Choose(L"File", L"Font");
            break;
        case 3: // both About windows, closed by their close boxes
            Choose(L"About", L"ZuziradOdor");
            Choose(L"About", L"Tintavo");
            UpdateWindow(Form1().Handle());
            CloseBox(Form1());
            CloseBox(Form2());
            break;
        }
        Choose(L"File", L"Small");
        lastWindow_ = nullptr; // a new window: its minutes compare among themselves
        ASSERT_TRUE(Form3().IsLoaded()) << "round " << round;
        ASSERT_EQ(Form::LoadedCount(), 1) << "round " << round;
        for (int i = minutes / 2; i < minutes; ++i)
            RunMinuteChecked();
        CloseBox(Form3());
        lastWindow_ = nullptr;
        ASSERT_TRUE(frmMain().IsLoaded()) << "round " << round;
        ASSERT_EQ(Form::LoadedCount(), 1) << "round " << round;
        ASSERT_FALSE(QuitPosted()) << "round " << round;
    }

    void RunMinuteChecked() {
        RunMinute(minutesRun_++ % (24 * 60));
        // Windows' text and theme services allocate lazily for each window as windows come and go: heap
        // growth is a level above every one reached since the warm-up began.
        // GDI objects from one minute to the next on the same window: a leak per tick, paint or colour
        // change shows at once, not only after days.
        const std::size_t heap = HeapBytesInUse();
        const int gdi = GdiObjectCount();
        const HWND window = LoadedClock().Handle();
        if (before_) {
            gdiChanges_ += lastWindow_ == window && gdi != lastGdi_;
            heapGrowths_ += heap > heapHighest_;
        }
        lastWindow_ = window;
        lastGdi_ = gdi;
        heapHighest_ = (std::max)(heapHighest_, heap);
    }

    int minutesRun_ = 0;
    const Holdings* before_ = nullptr; // after the warm-up
    std::size_t heapHighest_ = 0;      // after any minute so far
    int gdiChanges_ = 0, heapGrowths_ = 0;
    HWND lastWindow_ = nullptr; // of the minute before
    int lastGdi_ = 0;
};

TEST_F(EnduranceTest, ADayOfTicksAndTwoHundredSwitchesLeaveNothingBehind) {
    constexpr int kDays = 1;
    constexpr int kRounds = 100;
    constexpr int kWarmUpRounds = 8;
    const ULONGLONG started = GetTickCount64();

    // Caches, fonts and the like that the first uses create stay for the process's life.
    for (int round = 0; round < kWarmUpRounds; ++round)
        Round(round, 6);
    minutesRun_ = 0;
    // The main clock's three timers tick, and no other timer of the clock windows does.
    const auto mainTimers = [] {
        const HWND main = frmMain().Handle();
        return std::set<std::pair<HWND, UINT_PTR>>{
            {main, TimeTimer()}, {main, BlinkTimer()}, {main, ColorTimer()}};
    };
    EXPECT_EQ(TimersTicking(1500, {frmMain().Handle()}), mainTimers());
    const Holdings before = Now();
    before_ = &before;
    for (int round = 0; round < kRounds && !HasFatalFailure(); ++round) {
        const int minutes = (round + 1) * kDays * 24 * 60 / kRounds - round * kDays * 24 * 60 / kRounds;
        Round(round, minutes);
    }

    const Holdings after = Now();
    std::printf("GDI objects %d -> %d (another number after %d minutes), windows %d -> %d, heap bytes %zu -> "
                "%zu (new high after %d minutes), committed %zu -> %zu; %d minutes; %llu ms\n",
                before.gdiObjects, after.gdiObjects, gdiChanges_, before.windows, after.windows,
                before.heapBytes, after.heapBytes, heapGrowths_, before.committedBytes, after.committedBytes,
                minutesRun_, GetTickCount64() - started);
    (void)std::fflush(stdout);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(minutesRun_, kDays * 24 * 60);
    EXPECT_GT(before.gdiObjects, 0); // the count works: the clock's fonts at least
    EXPECT_EQ(gdiChanges_, 0) << "minutes with another number of GDI objects than the minute before";
    // Across the switches, objects that Windows' services make once for a new window may stay; a leak per
    // switch would grow with the rounds.
    EXPECT_LT(after.gdiObjects - before.gdiObjects, kRounds / 4) << "GDI objects after the day";
    EXPECT_LE(heapGrowths_, 2) << "minutes after which more of the heap was in use than ever before";
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.heapBytes, before.heapBytes + std::size_t{16} * 1024);
    EXPECT_LE(after.committedBytes, before.committedBytes + std::size_t{256} * 1024);

    EXPECT_EQ(TimersTicking(1500, {frmMain().Handle()}), mainTimers());

    // Once every window has unloaded, no timer of theirs ticks.
    const HWND main = frmMain().Handle();
    Choose(L"File", L"Close");
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(TimersTicking(1200, {main, nullptr}).empty());
}

// ---- A storm of commands -------------------------------------------------------------------------------

int WindowsTitled(const wchar_t* title) {
    struct Search {
        const wchar_t* title;
        int found;
    } search{title, 0};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& wanted = *reinterpret_cast<Search*>(data);
            wchar_t text[64] = {};
            GetWindowTextW(window, text, 64);
            wanted.found += lstrcmpW(text, wanted.title) == 0;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

enum Command : LPARAM {
    kSmall,
    kClose,
    kDisplay,
    kAboutClock,
    kAboutMaker,
    kMainCloseBox,
    kCompactCloseBox,
    kAboutCloseBoxes,
    kDrag,
    kCommandCount
};
constexpr const char* kCommandNames[] = {"Small",
                                         "Close",
                                         "Display",
                                         "About Tintavo",
                                         "About ZuziradOdor",
                                         "main close box",
                                         "compact close box",
                                         "About close boxes",
                                         "drag press"};

// Set when Close was chosen.
bool closeChosen = false;

// Does what a person would, where the command is at hand: menu commands need the main clock.
void RunCommand(Command command) {
    const bool main = frmMain().IsLoaded();
    switch (command) {
    case kSmall:
        if (main) Choose(L"File", L"Small");
        break;
    case kClose:
        closeChosen = closeChosen || main;
        if (main) Choose(L"File", L"Close");
        break;
    case kDisplay:
        if (main) Choose(L"File", L"Display");
        break;
    case kAboutClock:
        if (main) Choose(L"About", L"Tintavo");
        break;
    case kAboutMaker:
        if (main) Choose(L"About", L"ZuziradOdor");
        break;
    case kMainCloseBox:
        if (main) CloseBox(frmMain());
        break;
    case kCompactCloseBox:
        if (Form3().IsLoaded()) CloseBox(Form3());
        break;
    case kAboutCloseBoxes:
        if (Form1().IsLoaded()) CloseBox(Form1());
        if (Form2().IsLoaded()) CloseBox(Form2());
        break;
    case kDrag: // a left press on the client area outside the time asks the window manager for a move
        if (Form::LoadedCount() > 0) {
            // The move itself refused: with no button down, Windows' move loop would wait for one to go up.
            // https://learn.microsoft.com/windows/win32/winmsg/cbtproc
            const HHOOK noMove = SetWindowsHookExW(
                WH_CBT,
                [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
                    if (code == HCBT_SYSCOMMAND && (wParam & 0xFFF0) == SC_MOVE) return 1;
                    return CallNextHookEx(nullptr, code, wParam, lParam);
                },
                nullptr, GetCurrentThreadId());
            SendMessageW(LoadedClock().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            UnhookWindowsHookEx(noMove);
        }
        break;
    case kCommandCount:
        break;
    }
}

// Posts a command to run in whatever pump takes it first: the one a clock window's load runs while
// switching, if a switch comes next.
void PostCommand(const test_support::ActionWindow& actions, Command command) {
    actions.Post([](LPARAM which) { RunCommand(static_cast<Command>(which)); }, command);
}

TEST_F(EnduranceTest, AStormOfCommandsAlwaysLeavesOneClockAndCloseAlwaysEnds) {
    constexpr int kSteps = 400;
    std::mt19937 random{20240611}; // a fixed storm, the same in every run
    int ends = 0, inSwitch = 0;
    for (int step = 0; step < kSteps && !HasFailure(); ++step) {
        // Switches come most often, half of them with a command waiting to run inside the switch.
        const auto pick = [&] { return static_cast<Command>(random() % kCommandCount); };
        Command command = pick();
        if (random() % 2) command = frmMain().IsLoaded() ? kSmall : kCompactCloseBox;
        const bool fromCompact = Form3().IsLoaded();
        const bool switches =
            (command == kSmall && frmMain().IsLoaded()) || (command == kCompactCloseBox && fromCompact);
        const Command inside = random() % 2 ? pick() : kCommandCount;
        if (inside != kCommandCount) PostCommand(actions, inside);
        closeChosen = false;
        RunCommand(command);
        RunPending(); // a command not taken inside a switch runs now
        inSwitch += switches && inside != kCommandCount;

        const char* const what = kCommandNames[command];
        const char* const during = inside == kCommandCount ? "nothing" : kCommandNames[inside];
        const int loaded =
            frmMain().IsLoaded() + Form3().IsLoaded() + Form1().IsLoaded() + Form2().IsLoaded();
        SCOPED_TRACE(::testing::Message()
                     << "step " << step << ": " << what << " with " << during << " posted");
        EXPECT_EQ(Form::LoadedCount(), loaded);
        EXPECT_EQ(WindowsTitled(test_support::kMainTitle), frmMain().IsLoaded() ? 1 : 0);
        EXPECT_EQ(WindowsTitled(test_support::kCompactTitle), Form3().IsLoaded() ? 1 : 0);
        EXPECT_FALSE(frmMain().IsLoaded() && Form3().IsLoaded()) << "both clocks";
        if (loaded > 0) {
            EXPECT_TRUE(frmMain().IsLoaded() || Form3().IsLoaded()) << "no clock window";
        }
        const bool ended = QuitPosted();
        EXPECT_EQ(ended, loaded == 0);
        if (closeChosen) {
            EXPECT_TRUE(ended) << "Close did not end the program";
        }
        const bool endingInside = inside == kClose || inside == kMainCloseBox;
        if (command == kCompactCloseBox && fromCompact && !endingInside) {
            EXPECT_FALSE(ended) << "closing the compact clock ended the program";
        }
        if (ended) { // start again
            ++ends;
            frmMain().Show();
        }
    }
    std::printf("%d steps, %d switches with a command inside, %d ends\n", kSteps, inSwitch, ends);
    EXPECT_GT(inSwitch, kSteps / 8);
}

} // namespace
} // namespace tintavo
