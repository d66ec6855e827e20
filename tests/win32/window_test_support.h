// What the windows tests share: a clock the test sets, running messages while real timers tick, reading
// window state, and the fixtures' common end.
#pragma once

#include "windows/form/controls.h"
#include "windows/program_windows.h"
#include "windows/form/timer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tintavo::testing {

// Set when a pump below takes the quit message that the program's last unload posts.
inline bool quitTaken = false;

// WM_TIMER messages the pumps below have run, by window and timer id (a null window: a thread timer).
// The system delivers them, so they count a timer's ticks whatever the handler does with them.
inline std::map<std::pair<HWND, UINT_PTR>, int>& TimerTicks() {
    static std::map<std::pair<HWND, UINT_PTR>, int> ticks;
    return ticks;
}

inline int TicksOf(HWND window, UINT_PTR timer) {
    const auto found = TimerTicks().find({window, timer});
    return found == TimerTicks().end() ? 0 : found->second;
}

// The clock windows' timers, numbered by the form layer in the order the windows create them.
enum ClockTimer : UINT_PTR { kTimeTimer = 1, kBlinkTimer = 2, kColorTimer = 3 };

// Runs one tick of a form's timer now, as the system would deliver it.
inline void Tick(HWND window, UINT_PTR timer) { SendMessageW(window, WM_TIMER, timer, 0); }

// Runs messages until the predicate holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitTaken = true;
                continue;
            }
            if (message.message == WM_TIMER) ++TimerTicks()[{message.hwnd, message.wParam}];
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG tick = GetTickCount64();
        if (tick >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - tick), QS_ALLINPUT);
    }
}

// Runs the messages already waiting, once.
inline void RunPending() {
    PumpUntil([] { return true; }, 0);
}

// Takes the quit message that the program's last unload posts; true when there was one.
inline bool QuitPosted() {
    MSG quit;
    const bool posted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) || quitTaken;
    quitTaken = false;
    return posted;
}

// The command id of an item of the window's menu bar, found by the captions a user reads; 0 if none.
inline UINT CommandOf(HWND window, const std::wstring& menu, const std::wstring& item) {
    HMENU bar = GetMenu(window);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t caption[32] = {};
        GetMenuStringW(bar, i, caption, 32, MF_BYPOSITION);
        if (caption != menu) continue;
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            GetMenuStringW(popup, j, caption, 32, MF_BYPOSITION);
            if (caption == item) return GetMenuItemID(popup, j);
        }
    }
    return 0;
}

// Chooses an item of the main clock's menu as a click on it would.
inline void Choose(const wchar_t* menu, const wchar_t* item) {
    const HWND window = frmMain().Handle();
    const UINT command = CommandOf(window, menu, item);
    ASSERT_NE(command, 0u);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// The main clock's window when a WH_CBT hook is told of its creation; null for anything else.
inline HWND MainClockCreated(int code, WPARAM wParam, LPARAM lParam) {
    const auto* created = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs : nullptr;
    const bool main =
        created && created->lpszName && lstrcmpW(created->lpszName, L"ZuziradOdor Digital Tintavo") == 0;
    return main ? reinterpret_cast<HWND>(wParam) : nullptr;
}

// The window's client area in screen coordinates.
inline RECT ScreenClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// The time of day the clock windows read: each test sets it.
inline TimeOfDay now{18, 9};
inline TimeOfDay TestClock() { return now; }

// A message-only window of the test's own that runs the actions posted to it, in whatever pump takes them
// first: the test's, or one the program runs (a clock window's load lets waiting messages run).
class ActionWindow {
public:
    using Action = void (*)(LPARAM);
    ActionWindow() {
        static const ATOM windowClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TintavoTestActions";
            return RegisterClassW(&wc);
        }();
        window_ = CreateWindowW(MAKEINTATOM(windowClass), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    ~ActionWindow() { DestroyWindow(window_); }
    ActionWindow(const ActionWindow&) = delete;
    ActionWindow& operator=(const ActionWindow&) = delete;

    void Post(Action action, LPARAM argument = 0) const {
        PostMessageW(window_, WM_APP, reinterpret_cast<WPARAM>(action), argument);
    }
    // Runs messages until a marker posted now has run: everything posted before it has run too.
    void RunPosted() const {
        static bool seen;
        seen = false;
        Post([](LPARAM) { seen = true; });
        ASSERT_TRUE(PumpUntil([] { return seen; }, 5000));
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
        reinterpret_cast<Action>(wParam)(lParam);
        return 0;
    }
    HWND window_;
};

// Every fixture's start and end: the test's clock at 18:09, and no window of the program left loaded (the
// compact clock first, which brings the main clock back), nor the quit message the last unload posts.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        now = {18, 9};
        ClockForm::UseClock(&TestClock);
        TimerTicks().clear();
    }
    void TearDown() override {
        Form3().UnloadWindow();
        frmMain().UnloadWindow();
        QuitPosted();
        // Every seam back to the system's, also after a test that failed midway.
        Timer::UseCreator(nullptr);
        CommonDialog::UsePrompt(nullptr);
        PresenceWatch::UseRegistrar(nullptr);
    }
    ActionWindow actions;
};

// The same, with the main clock open from the start, as the program starts.
class MainClockTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        frmMain().Show();
    }
};

// A form of the test's own with a control of each kind, for the form layer's tests.
class ProbeForm final : public Form {
public:
    // 120 x 80 pixels at (40, 60) at 96 dpi; the label at (10, 10), 50 x 20; the line along the bottom row.
    ProbeForm() : Form{{L"Probe", {1800, 1200}, TwipsPoint{600, 900}, 0x00FFFFFF}} {}

    Label label{*this, {{150, 150, 750, 300}, L"Probe", {L"Arial", 9}, 0x00000000, std::nullopt, DT_LEFT}};
    Line line{*this, {0, 1185}, {1785, 1185}};
    // The fast timer re-enables the slow one on every tick, as the clock's sampling timer does.
    Timer fast{*this, 10, true, Handler::Of<&ProbeForm::EnableSlow>(this)};
    Timer slow{*this, 1000, false, Handler::Of<&ProbeForm::CountSlowTick>(this)};
    enum : UINT_PTR { kFastTimer = 1, kSlowTimer = 2 }; // their ids: first and second in the form

    int slowTicks = 0;
    int loads = 0;
    int unloads = 0;
    int startCommand = -1;
    std::vector<int> buttons;

private:
    void EnableSlow() { slow.SetEnabled(true); }
    void CountSlowTick() { ++slowTicks; }
    void Form_Load() override {
        ++loads;
        if (startCommand >= 0) ShowWindow(Handle(), startCommand);
        MakeVisible();
    }
    void Form_Unload(int&) override {
        ++unloads;
        UnloadWindow(); // already unloading: must not recurse or destroy twice
    }
    void Form_MouseDown(MouseButton button, int, float, float) override {
        buttons.push_back(static_cast<int>(button));
    }
};

class ProbeFormTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form.Show();
    }
    void TearDown() override {
        form.UnloadWindow();
        WindowTest::TearDown();
    }
    ProbeForm form;
};

} // namespace tintavo::testing
