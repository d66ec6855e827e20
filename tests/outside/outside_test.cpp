// The real tintavo.exe tested from outside: started as a process of its own and checked only through what
// Windows offers any other program (window styles and layered attributes, the window's own image, a
// screen reader's name for the time, keys typed through the input queue, the exit code).
#include "clock/color_schedule.h"
#include "clock/time_text.h"
#include "tests/support/started_process.h"
#include "tests/support/window_reading.h"

#include <windows.h>

#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using tintavo::test_support::AccessibleName;
using tintavo::test_support::kCompactTitle;
using tintavo::test_support::kMainTitle;
using tintavo::test_support::PixelOf;

constexpr const wchar_t* kClockAboutTitle = L"About Digital Tintavo";
constexpr const wchar_t* kMakerAboutTitle = L"About ZuziradOdor";
constexpr const wchar_t* kAllTitles[] = {kMainTitle, kCompactTitle, kClockAboutTitle, kMakerAboutTitle};
// The session's claim on its one clock, as any program can find it.
constexpr const wchar_t* kClaim = L"Local\\Tintavo.SessionClock";
constexpr COLORREF kKeyColor = RGB(255, 0, 255);
constexpr COLORREF kLayoutColor = RGB(255, 255, 255);
// The main clock as designed, in twips (1440 to the inch).
constexpr SIZE kMainClient{3750, 1935};
constexpr POINT kMainClientOrigin{4320, 2865};
// The time label's place in the main clock's client area (twips).
constexpr struct {
    int x, y, width, height;
} kTimeLabel{360, 600, 3015, 615};
// A point of the main clock's client area (twips) away from its rectangle and its time label.
constexpr POINT kBackgroundSpot{45, 45};

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

// The window's DPI as the program reads it: GetDpiForWindow where Windows has it (10 1607 on).
UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) return getDpiForWindow(window);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int ToPixels(LONG twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

// For the tests of a clock that registers with the system, which pauses while the display is off: a runner
// with nobody at it turns the display off after its idle time-out. Kept on until this process ends.
// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-setthreadexecutionstate
void KeepTheDisplayOn() { (void)SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED); }

SYSTEMTIME LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

// Sends keys as typed: each down, then each up in reverse order.
void Type(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    (void)SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The display and session state that this process is told, for the failure of a clock that does not tick:
// a clock pauses while its session is locked or disconnected or its display is off. "unknown" where the
// system tells nothing (Wine tells little).
std::string PresenceSeen() {
    std::string seen = "the suite saw the session ";
    // WTSINFOEXW's first members, which older SDK headers lack: its level, then the session, its connect
    // state and its lock state at 8, where the level-1 record's 64-bit times align it. The padding is
    // spelled out: an alignment specifier would be MSVC's C4324. The lock state is reversed on Windows 7.
    // https://learn.microsoft.com/windows/win32/api/wtsapi32/ns-wtsapi32-wtsinfoex_level1_w
    struct SessionInfoEx {
        DWORD level;
        DWORD padding;
        ULONG session;
        LONG connectState;
        LONG lockState;
    };
    static_assert(offsetof(SessionInfoEx, session) == 8);
    constexpr auto kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    const bool told = WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, kSessionInfoEx,
                                                  &buffer, &bytes) &&
                      buffer && bytes >= sizeof(SessionInfoEx);
    const auto* info = reinterpret_cast<const SessionInfoEx*>(buffer);
    const bool level1 = told && info->level == 1;
    const LONG lock = level1 ? info->lockState : -1;
    seen += lock == 0 ? "locked" : lock == 1 ? "unlocked" : "with its lock state unknown";
    if (!level1)
        seen += ", its connect state unknown";
    else if (info->connectState == WTSActive)
        seen += ", active";
    else
        seen += ", not active (connect state " + std::to_string(info->connectState) + ")";
    if (buffer) WTSFreeMemory(buffer);

    // The display's state as Windows tells it to a window registered for it, at once.
    static LONG display = -1;
    display = -1;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (message == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && setting &&
            setting->DataLength == sizeof(DWORD))
            display = static_cast<LONG>(*reinterpret_cast<const DWORD*>(setting->Data));
        return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OutsideTestPresence";
    (void)RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
    const HPOWERNOTIFY notify =
        window ? RegisterPowerSettingNotification(window, &GUID_SESSION_DISPLAY_STATUS, DEVICE_NOTIFY_WINDOW_HANDLE)
               : nullptr;
    const ULONGLONG deadline = GetTickCount64() + 500;
    while (window && display < 0 && GetTickCount64() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(10);
    }
    if (notify) UnregisterPowerSettingNotification(notify);
    if (window) DestroyWindow(window);
    return seen + " and the display " +
           (display == 0 ? "off" : display == 1 ? "on" : display == 2 ? "dimmed" : "unknown");
}

// The colour of the time text: the commonest colour of the time label's place other than the background
// (solid strokes have the text colour, their edges are blends); CLR_INVALID if there is none.
COLORREF TextColorOf(HWND window, COLORREF background) {
    const UINT dpi = DpiOf(window);
    std::map<COLORREF, int> counts;
    HDC dc = GetDC(window);
    for (int y = ToPixels(kTimeLabel.y, dpi); y < ToPixels(kTimeLabel.y + kTimeLabel.height, dpi); ++y)
        for (int x = ToPixels(kTimeLabel.x, dpi); x < ToPixels(kTimeLabel.x + kTimeLabel.width, dpi); ++x)
            ++counts[GetPixel(dc, x, y)];
    ReleaseDC(window, dc);
    counts.erase(background);
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? CLR_INVALID : most->first;
}

// One run of tintavo.exe, ended at the end of the test if it still runs.
class Tintavo {
public:
    Tintavo() {
        if (!process_.Started())
            ADD_FAILURE() << "could not start " << TINTAVO_EXE << " (error " << process_.StartError() << ")";
        // Sizes and places of the program's windows as they are, not scaled for a program unaware of DPI.
        using SetThreadDpiAwarenessContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
        if (const auto setContext = reinterpret_cast<SetThreadDpiAwarenessContextFn>(reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext"))))
            (void)setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    }

    // The program's visible top-level windows of this title.
    std::vector<HWND> Windows(const wchar_t* title) const { return process_.Windows(title); }

    DWORD ProcessId() const { return process_.Id(); }
    bool Ended(DWORD timeoutMs) const { return process_.Ended(timeoutMs); }
    DWORD ExitCode() const { return process_.ExitCode(); }

private:
    tintavo::StartedProcess process_{TINTAVO_EXE};
};

// The main clock once it is set up: its colour key, which it is given last, after its first paint (the
// layered style comes a moment before the key).
HWND LoadedMainClock(const Tintavo& tintavo) {
    const HWND window = tintavo::WaitForWindow(tintavo.ProcessId(), kMainTitle);
    (void)WaitFor(
        [&] {
            DWORD flags = 0;
            return GetLayeredWindowAttributes(window, nullptr, nullptr, &flags) != FALSE;
        },
        5000);
    return window;
}

// Makes the window the one that takes the keyboard. Windows lets a process hand on the foreground only in
// some cases, one of them while the user holds Alt: with Alt held down if asking alone is not enough.
void Focus(HWND window) {
    SetForegroundWindow(window);
    if (WaitFor([&] { return GetForegroundWindow() == window; }, 500)) return;
    INPUT alt[2] = {};
    alt[0].type = alt[1].type = INPUT_KEYBOARD;
    alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    (void)SendInput(1, &alt[0], sizeof(INPUT));
    SetForegroundWindow(window);
    (void)SendInput(1, &alt[1], sizeof(INPUT));
    (void)WaitFor([&] { return GetForegroundWindow() == window; }, 2000);
}

// An open popup menu of the program: the system's menu window class.
bool MenuOpen(const Tintavo& tintavo) {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (IsWindowVisible(menu) && owner == tintavo.ProcessId()) return true;
    }
    return false;
}

// Opens a menu of the bar with Alt and its first letter, then chooses an item by its first letter.
void Choose(const Tintavo& tintavo, HWND window, WORD menu, WORD item) {
    Focus(window);
    Type({VK_MENU, menu});
    ASSERT_TRUE(WaitFor([&] { return MenuOpen(tintavo); }, 5000)) << "Alt+" << static_cast<char>(menu) << " opened no menu";
    Type({item});
}

POINT ClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

// The main clock's client area lands at its design place (the window manager may place it first).
void ExpectAtTheDesignPlace(HWND window) {
    const UINT dpi = DpiOf(window);
    const POINT design{ToPixels(kMainClientOrigin.x, dpi), ToPixels(kMainClientOrigin.y, dpi)};
    POINT origin{};
    (void)WaitFor(
        [&] {
            origin = ClientOrigin(window);
            return origin.x == design.x && origin.y == design.y;
        },
        5000);
    EXPECT_EQ(origin.x, design.x) << "at " << dpi << " dpi";
    EXPECT_EQ(origin.y, design.y) << "at " << dpi << " dpi";
}

} // namespace

TEST(OutsideTest, MainClockIsATopmostToolWindowKeyedInMagentaWithTheDesignSizeAtItsDpi) {
    const Tintavo tintavo;
    const HWND window = LoadedMainClock(tintavo);
    ASSERT_NE(window, nullptr) << "no main clock window";

    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << "not topmost";
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "not a tool window";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW) << "has a taskbar button";
    EXPECT_TRUE(exStyle & WS_EX_LAYERED) << "not layered";
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_TRUE(flags & LWA_COLORKEY) << "no colour key";
    EXPECT_EQ(key, kKeyColor);

    const UINT dpi = DpiOf(window);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, ToPixels(kMainClient.cx, dpi)) << "at " << dpi << " dpi";
    EXPECT_EQ(client.bottom, ToPixels(kMainClient.cy, dpi)) << "at " << dpi << " dpi";
    ExpectAtTheDesignPlace(window);
}

// The local time is the runner's, or under Wine whatever TZ says (scripts/test.sh runs this test again
// at hour 0 and in a coloured hour): the program and this test read the same clock.
TEST(OutsideTest, TheTimeLabelReadsNowAndTheBackgroundIsItsScheduledColorAfterTheFirstSecond) {
    // Started early enough in the minute for the checks below to fall in the same minute.
    (void)WaitFor([] { return LocalNow().wSecond <= 45; }, 16000);
    KeepTheDisplayOn();
    const Tintavo tintavo;
    const HWND window = LoadedMainClock(tintavo);
    ASSERT_NE(window, nullptr) << "no main clock window";
    const ULONGLONG loaded = GetTickCount64();
    const UINT dpi = DpiOf(window);
    const POINT spot{ToPixels(kBackgroundSpot.x, dpi), ToPixels(kBackgroundSpot.y, dpi)};
    // The first picture (a window made layered is drawn anew: black until then).
    COLORREF first = 0;
    (void)WaitFor([&] { return (first = PixelOf(window, spot)) != RGB(0, 0, 0); }, 1000);
    EXPECT_EQ(first, kLayoutColor) << "the background in the first second (0x00BBGGRR)";

    // The label's text window: what a screen reader reads for the time.
    const HWND label = FindWindowExW(window, nullptr, L"Static", nullptr);
    ASSERT_NE(label, nullptr) << "the time label has no text window";
    // Past the colour's first tick, and read within one minute, away from its turn.
    (void)WaitFor([&] { return GetTickCount64() >= loaded + 2500; }, 3000);
    SYSTEMTIME before{};
    SYSTEMTIME after{};
    std::wstring name;
    COLORREF background = 0;
    for (int attempt = 0; attempt < 3 && (attempt == 0 || before.wMinute != after.wMinute); ++attempt) {
        (void)WaitFor([] { return LocalNow().wSecond >= 3 && LocalNow().wSecond <= 56; }, 10000);
        before = LocalNow();
        name = AccessibleName(label);
        background = PixelOf(window, spot);
        after = LocalNow();
    }

    const tintavo::TimeText now = tintavo::FormatTimeText(before.wHour, before.wMinute);
    const std::string caption{now.Caption()};
    std::printf("checked at %02u:%02u:%02u local time\n", static_cast<unsigned>(before.wHour),
                static_cast<unsigned>(before.wMinute), static_cast<unsigned>(before.wSecond));
    EXPECT_EQ(name, std::wstring(caption.begin(), caption.end())) << PresenceSeen();
    EXPECT_EQ(background, tintavo::ScheduleColor(now.Hour(), before.wMinute).value_or(kLayoutColor))
        << "the background (0x00BBGGRR), which the clock's first colour tick sets; " << PresenceSeen();
}

// What each window does at Close is the program's tests'; here, what the process leaves behind.
TEST(OutsideTest, FileCloseFromTheKeyboardEndsTheProgramWithExitCodeZeroLeavingNoWindow) {
    const Tintavo tintavo;
    const HWND window = LoadedMainClock(tintavo);
    ASSERT_NE(window, nullptr) << "no main clock window";
    ASSERT_NO_FATAL_FAILURE(Choose(tintavo, window, 'F', 'C'));
    ASSERT_TRUE(tintavo.Ended(10000)) << "still running 10 s after File > Close";
    EXPECT_EQ(tintavo.ExitCode(), 0u);
    // Nor does one come up afterwards (from a copy the program would start on its way out, say).
    HWND left = nullptr;
    (void)WaitFor(
        [&] {
            for (const wchar_t* title : kAllTitles)
                if ((left = FindWindowW(nullptr, title)) != nullptr) return true;
            return false;
        },
        2000);
    EXPECT_EQ(left, nullptr) << "a window left behind";
}

// A start that finds the session's clock: it ends within 10 s with exit code 0, before any window.
void ExpectEndedAtOnceWithoutAWindow(const Tintavo& start) {
    bool window = false;
    const bool ended = WaitFor(
        [&] {
            window = window || !start.Windows(nullptr).empty();
            return start.Ended(0);
        },
        10000);
    ASSERT_TRUE(ended) << "the start still runs 10 s later";
    EXPECT_EQ(start.ExitCode(), 0u);
    EXPECT_FALSE(window) << "the start showed a window";
}

// A start that finds the session's claim made by something else than a running clock: it ends as a second
// start where the claim may not be opened (a clock started elevated holds it); it is the session's clock
// where the claim was left by a clock that ended without giving it up, or where no claim can be made.
TEST(OutsideTest, AStartEndsOnAClaimItMayNotOpenAndRunsOnAnAbandonedOrImpossibleOne) {
    struct Case {
        const char* name;
        HANDLE (*make)();
        bool runs;
    } const cases[] = {
        {"a claim with an empty access list",
         [] {
             ACL empty{};
             SECURITY_DESCRIPTOR descriptor{};
             (void)InitializeAcl(&empty, sizeof empty, ACL_REVISION);
             (void)InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
             (void)SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
             SECURITY_ATTRIBUTES attributes{static_cast<DWORD>(sizeof attributes), &descriptor, FALSE};
             return CreateMutexW(&attributes, FALSE, kClaim);
         },
         false},
        {"a claim abandoned by its owner",
         [] {
             const HANDLE mutex = CreateMutexW(nullptr, FALSE, kClaim);
             std::thread([mutex] { (void)WaitForSingleObject(mutex, 0); }).join(); // ends holding it
             return mutex;
         },
         true},
        {"an event of the claim's name", [] { return CreateEventW(nullptr, TRUE, FALSE, kClaim); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE held = c.make();
        ASSERT_NE(held, nullptr) << "error " << GetLastError();
        {
            const Tintavo start;
            if (c.runs)
                EXPECT_NE(LoadedMainClock(start), nullptr) << "no clock";
            else
                ExpectEndedAtOnceWithoutAWindow(start);
        }
        CloseHandle(held);
    }
}

// A second start in the session of a running clock (a double-click more, or the Startup folder and the
// restart after an update both) ends before it shows a window; the running clock stays as it was.
TEST(OutsideTest, ASecondStartEndsAtOnceWithExitCodeZeroAndTheRunningClockStaysAsItWasAndTicks) {
    KeepTheDisplayOn();
    const Tintavo first;
    const HWND window = LoadedMainClock(first);
    ASSERT_NE(window, nullptr) << "no main clock window";
    const ULONGLONG loaded = GetTickCount64();
    const HWND label = FindWindowExW(window, nullptr, L"Static", nullptr);
    ASSERT_NE(label, nullptr) << "the time label has no text window";
    // Moved aside, so that a clock loaded anew (at its design place) would show.
    SetWindowPos(window, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed{};
    ASSERT_TRUE(WaitFor([&] { return GetWindowRect(window, &placed) && placed.left == 40; }, 5000))
        << "the clock cannot be moved";

    // Held in the session's namespace: one clock per session, not one per machine.
    for (const wchar_t* name : {kClaim, L"Global\\Tintavo.SessionClock"}) {
        const HANDLE claim = OpenMutexW(SYNCHRONIZE, FALSE, name);
        EXPECT_EQ(claim != nullptr, name == kClaim) << "the claim under " << testing::PrintToString(name);
        if (claim) CloseHandle(claim);
    }

    const ULONGLONG started = GetTickCount64();
    const Tintavo second;
    ASSERT_NO_FATAL_FAILURE(ExpectEndedAtOnceWithoutAWindow(second));
    std::printf("the second start ended after %llu ms\n", GetTickCount64() - started);
    ASSERT_FALSE(first.Ended(0)) << "the running clock ended";
    EXPECT_EQ(first.Windows(kMainTitle), std::vector<HWND>{window});
    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &placed)) << "the running clock moved, or was loaded anew";

    // Ticking on: the time text comes with the clock's first second (a second start takes a fraction of
    // one), or where the start took longer than that, the text turns with the next minute.
    const std::wstring shown = AccessibleName(label);
    EXPECT_TRUE(WaitFor([&] { return AccessibleName(label) != shown; }, shown.empty() ? 3000 : 62000))
        << "the time text stayed \"" << shown << "\"; " << PresenceSeen();
    // In the design's grey, once the background has taken its colour.
    (void)WaitFor([&] { return GetTickCount64() >= loaded + 2500; }, 3000);
    const UINT dpi = DpiOf(window);
    const COLORREF background = PixelOf(window, {ToPixels(kBackgroundSpot.x, dpi), ToPixels(kBackgroundSpot.y, dpi)});
    EXPECT_EQ(TextColorOf(window, background), RGB(128, 128, 128)) << "the time text (0x00BBGGRR)";
}
