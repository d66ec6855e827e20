// What the form layer's tests share: running messages while real timers tick, counting the ticks, actions
// posted to run inside another pump, reading window state, a form of the tests' own, and the fixtures'
// common end, which puts every seam of the layer back.
#pragma once

#include "windows/form/common_dialog.h"
#include "windows/form/controls.h"
#include "windows/form/form.h"
#include "windows/form/system_call.h"
#include "windows/form/timer.h"

#include "tests/support/window_reading.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tintavo::test_support {

// Set when a pump below takes the quit message that the last unload posts.
inline constinit bool quitTaken = false;

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

// Takes the quit message that the last unload posts; true when there was one.
inline bool QuitPosted() {
    MSG quit;
    const bool posted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) || quitTaken;
    quitTaken = false;
    return posted;
}

// A click on the form's close box, as the system passes it on.
inline void CloseBox(const Form& form) { SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }

// The visible window of this thread that the owner owns (a dialog it shows); null when there is none.
inline HWND ShownWindowOwnedBy(HWND owner) {
    struct Search {
        HWND owner, found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            if (GetWindow(window, GW_OWNER) != s.owner || !IsWindowVisible(window)) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window's client area in screen coordinates.
inline RECT ScreenClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// A form's window out of reach after a display or work-area change comes back into the work area, and one
// with a grip of its caption still in the work area stays where the user put it. Each message is sent and
// the place read before any other message runs: the window manager, which may move a window it finds off
// the screen, is heard only in a message loop, so what is read is the layer's doing alone.
inline void ExpectKeptWithinReach(HWND window, UINT_PTR timer) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const auto moveTo = [&](int x, int y) {
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const auto place = [&] {
        RECT outer{};
        GetWindowRect(window, &outer);
        return std::pair{outer.left, outer.top};
    };
    const auto displayChange = [&] {
        SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(work.right, work.bottom));
    };
    const auto workAreaChange = [&] { SendMessageW(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0); };

    moveTo(work.right - 40, 300); // partly off the right edge of a monitor that is still there
    displayChange();
    workAreaChange();
    EXPECT_EQ(place(), std::pair(work.right - 40, LONG{300}));

    moveTo(-3000, -2000); // wholly outside the screen: nothing moves it back until the display changes
    for (int tick = 0; tick < 100; ++tick)
        Tick(window, timer);
    EXPECT_EQ(place(), std::pair(LONG{-3000}, LONG{-2000}));
    displayChange();
    EXPECT_EQ(place(), std::pair(work.left, work.top));

    moveTo(400, work.top - 30); // the caption above the work area: back in after a work-area change
    workAreaChange();
    EXPECT_EQ(place(), std::pair(LONG{400}, work.top));
}

// The client areas of the windows shown while it lives, each as it was when the window was shown: where
// the program put it. A window manager may move a window once it is on the screen (openbox now and then
// puts a new one at (0, 0)), and Wine moves the window with it; that is not the program's to control.
class ShownPlaces {
public:
    ShownPlaces() : hook_{SetWindowsHookExW(WH_CALLWNDPROC, &Record, nullptr, GetCurrentThreadId())} {
        Places().clear();
    }
    ~ShownPlaces() { UnhookWindowsHookEx(hook_); }
    ShownPlaces(const ShownPlaces&) = delete;
    ShownPlaces& operator=(const ShownPlaces&) = delete;

    // Empty for a window not shown meanwhile.
    RECT ClientRect(HWND window) const {
        const auto found = Places().find(window);
        return found == Places().end() ? RECT{} : found->second;
    }

private:
    static std::map<HWND, RECT>& Places() {
        static std::map<HWND, RECT> places;
        return places;
    }
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_SHOWWINDOW && sent->wParam)
            Places().insert_or_assign(sent->hwnd, ScreenClientRect(sent->hwnd));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

// What a screen reader reads from a window: the names of the client objects of its visible child windows,
// in alphabetical order.
inline std::vector<std::wstring> AccessibleTexts(HWND window) {
    std::vector<std::wstring> names;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            if (std::wstring name = AccessibleName(child); !name.empty()) names.push_back(std::move(name));
    std::sort(names.begin(), names.end());
    return names;
}

// A message-only window of the test's own that runs the actions posted to it, in whatever pump takes them
// first: the test's, or one a form runs (a clock window's load lets waiting messages run).
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

// Every fixture's start and end: no tick counted before the test, and afterwards no quit message left and
// every seam of the layer back to the system's, also after a test that failed midway.
class FormLayerTest : public ::testing::Test {
protected:
    void SetUp() override { TimerTicks().clear(); }
    void TearDown() override {
        QuitPosted();
        Timer::UseCreator(nullptr);
        CommonDialog::UsePrompt(nullptr);
        system_call::PretendMissing(nullptr);
    }
    ActionWindow actions;
};

// A control that notes every message the layer hands it, and keeps none: the form goes on with each.
class MessageLog final : public Control {
public:
    explicit MessageLog(Form& owner) : Control{owner} {}
    std::vector<UINT> seen;

private:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        seen.push_back(message);
        return false;
    }
};

// A form of the test's own with a control of each kind and a menu bar, for the form layer's tests.
class ProbeForm final : public Form {
public:
    // 120 x 80 pixels at (40, 60) at 96 dpi; the label at (10, 10), 50 x 20; the line along the bottom row.
    ProbeForm() : Form{{L"Probe", {1800, 1200}, TwipsPoint{600, 900}, 0x00FFFFFF}, menus_} {}

    Label label{*this, {{150, 150, 750, 300}, L"Probe", {L"Arial", 9}, 0x00000000, std::nullopt, DT_LEFT}};
    Line line{*this, {0, 1185}, {1785, 1185}};
    // The fast timer re-enables the slow one on every tick, as the clock's sampling timer does.
    Timer fast{*this, 10, true, Handler::Of<&ProbeForm::EnableSlow>(this)};
    Timer slow{*this, 1000, false, Handler::Of<&ProbeForm::CountSlowTick>(this)};
    CommonDialog colors{*this};
    MessageLog messages{*this};

    int slowTicks = 0;
    int loads = 0;
    int unloads = 0;
    int itemsChosen = 0;
    int startCommand = -1;
    std::vector<int> buttons;

private:
    void EnableSlow() { slow.SetEnabled(true); }
    void CountSlowTick() { ++slowTicks; }
    void CountItem() { ++itemsChosen; }
    // Captions without mnemonics, as the program's.
    const Handler item_ = Handler::Of<&ProbeForm::CountItem>(this);
    const std::array<MenuItem, 3> file_{{{L"Open", item_}, {L"Save", item_}, {L"Close", item_}}};
    const std::array<MenuItem, 2> help_{{{L"Index", item_}, {L"About", item_}}};
    const std::array<Menu, 2> menus_{{{L"File", file_}, {L"Help", help_}}};
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

class ProbeFormTest : public FormLayerTest {
protected:
    void SetUp() override {
        FormLayerTest::SetUp();
        form.Show();
    }
    void TearDown() override {
        form.UnloadWindow();
        FormLayerTest::TearDown();
    }
    ProbeForm form;
};

} // namespace tintavo::test_support
