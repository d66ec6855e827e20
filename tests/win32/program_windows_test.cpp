// Tests of the four windows' handlers: the main clock's menu commands, the switching between the clock
// windows, the About windows, their texts for screen readers and the end of the session.
#include "windows/program_windows.h"

#include "window_test_support.h"
#include "windows/one_clock.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <utility>
#include <vector>

namespace tintavo {
namespace {

using test_support::AccessibleTexts;
using test_support::BlinkTimer;
using test_support::Choose;
using test_support::CloseBox;
using test_support::PumpUntil;
using test_support::QuitPosted;
using test_support::RunPending;
using test_support::ScreenClientRect;
using test_support::Tick;

// Stands in for the colour dialog: answers OK with a colour, or Cancel, and notes what it was shown.
struct ColorPromptScript {
    bool ok = true;
    COLORREF pick = RGB(0, 0, 255);
    int calls = 0;
    DWORD flags = 0;
    COLORREF initial = 0;
    HWND owner = nullptr;
    COLORREF custom0 = 0;
} prompt;

bool ScriptedPrompt(CHOOSECOLORW& dialog) {
    ++prompt.calls;
    prompt.flags = dialog.Flags;
    prompt.initial = dialog.rgbResult;
    prompt.owner = dialog.hwndOwner;
    prompt.custom0 = dialog.lpCustColors[0];
    dialog.lpCustColors[0] = RGB(1, 2, 3); // the user defines a custom colour
    if (prompt.ok) dialog.rgbResult = prompt.pick;
    return prompt.ok;
}

class ProgramWindowsTest : public test_support::MainClockTest {
protected:
    void SetUp() override {
        prompt = {};
        CommonDialog::UsePrompt(&ScriptedPrompt);
        MainClockTest::SetUp();
    }
};

TEST_F(ProgramWindowsTest, FontOkColorsTheTextAndTheNextOpeningStartsFromThatColor) {
    Choose(L"File", L"Font");
    EXPECT_EQ(prompt.calls, 1);
    EXPECT_EQ(prompt.flags, static_cast<DWORD>(CC_RGBINIT));
    EXPECT_EQ(prompt.owner, frmMain().Handle());
    EXPECT_EQ(prompt.initial, RGB(0, 0, 0));
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).ForeColor(), Color{RGB(0, 0, 255)});
    EXPECT_EQ(frmMain().ColorDialog().Color(), Color{RGB(0, 0, 255)});

    prompt.pick = RGB(255, 0, 255);
    Choose(L"File", L"Font");
    EXPECT_EQ(prompt.initial, RGB(0, 0, 255));
    EXPECT_EQ(prompt.custom0, RGB(1, 2, 3)); // custom colours kept while the window is loaded
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).ForeColor(), Color{RGB(255, 0, 255)});
}

TEST_F(ProgramWindowsTest, FontCancelLeavesTheTextColorAsItWas) {
    prompt.ok = false;
    Choose(L"File", L"Font"); // first use: the text must not turn black
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).ForeColor(), 0x00808080u);

    prompt.ok = true;
    prompt.pick = RGB(0, 128, 0);
    Choose(L"File", L"Font");
    prompt.ok = false;
    prompt.pick = RGB(255, 255, 0);
    Choose(L"File", L"Font");
    EXPECT_EQ(prompt.initial, RGB(0, 128, 0));
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).ForeColor(), Color{RGB(0, 128, 0)});
    EXPECT_EQ(frmMain().ColorDialog().Color(), Color{RGB(0, 128, 0)});
}

// Cancels the system's colour dialog from a timer of the test's own, once the clock had time to tick.
struct DialogSeen {
    HWND window = nullptr;
    bool ownerEnabled = true;
    DPI_AWARENESS awareness = DPI_AWARENESS_INVALID;
} dialogSeen;

void CALLBACK CancelColorDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    dialogSeen.ownerEnabled = IsWindowEnabled(frmMain().Handle()) != FALSE;
    dialogSeen.window = test_support::ShownWindowOwnedBy(frmMain().Handle());
    if (!dialogSeen.window) return;
    dialogSeen.awareness =
        GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(dialogSeen.window));
    PostMessageW(dialogSeen.window, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ProgramWindowsTest, TheRealColorDialogIsModalAndTheClockKeepsTickingMeanwhile) {
    CommonDialog::UsePrompt(nullptr); // the system's dialog
    dialogSeen = {};
    const DPI_AWARENESS awarenessBefore = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
    SetTimer(nullptr, 0, 1500, &CancelColorDialog);
    Choose(L"File", L"Font");
    ASSERT_NE(dialogSeen.window, nullptr);
    EXPECT_FALSE(dialogSeen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(frmMain().Handle()));
    // Written by a tick while the dialog was open.
    EXPECT_FALSE(ClockFormProbe::TimeLabel(frmMain()).Caption().empty());
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).ForeColor(), 0x00808080u);
    // Stretched by the system on a monitor of another scale, so its fixed layout holds; and the thread
    // makes its windows as before once it is closed.
    EXPECT_EQ(dialogSeen.awareness, DPI_AWARENESS_SYSTEM_AWARE);
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), awarenessBefore);
}

TEST_F(ProgramWindowsTest, DisplayHidesTheTimeAndShowsItAgainStillCurrent) {
    Choose(L"File", L"Display");
    EXPECT_FALSE(ClockFormProbe::TimeLabel(frmMain()).Visible());
    ASSERT_TRUE(PumpUntil([] { return !ClockFormProbe::TimeLabel(frmMain()).Caption().empty(); }, 1600));
    // The ticks keep the caption current, and hidden.
    EXPECT_FALSE(ClockFormProbe::TimeLabel(frmMain()).Visible());
    Choose(L"File", L"Display");
    EXPECT_TRUE(ClockFormProbe::TimeLabel(frmMain()).Visible());
}

TEST_F(ProgramWindowsTest, AboutItemsOpenOneWindowEachInTheirLayout) {
    Choose(L"About", L"Tintavo");
    Choose(L"About", L"Tintavo");
    Choose(L"About", L"ZuziradOdor");
    Choose(L"About", L"ZuziradOdor");
    ASSERT_TRUE(Form1().IsLoaded());
    ASSERT_TRUE(Form2().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 3);
    EXPECT_EQ(FindWindowW(nullptr, L"About Digital Tintavo"), Form1().Handle());
    EXPECT_EQ(FindWindowW(nullptr, L"About ZuziradOdor"), Form2().Handle());

    struct Layout {
        HWND window;
        RECT client;
    } const layouts[] = {{Form1().Handle(), {356, 388, 356 + 232, 388 + 137}},
                         {Form2().Handle(), {356, 372, 356 + 232, 372 + 157}}};
    for (const Layout& layout : layouts) {
        const RECT client = ScreenClientRect(layout.window);
        EXPECT_TRUE(EqualRect(&client, &layout.client));
        const LONG exStyle = GetWindowLongW(layout.window, GWL_EXSTYLE);
        EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(exStyle & (WS_EX_TOPMOST | WS_EX_LAYERED));
    }
    EXPECT_EQ(Form1().BackColor(), 0x00FFFF00u);
    EXPECT_EQ(Form2().BackColor(), 0x00FFFF00u);
}

// What the windows carry for screen readers: the time as shown, and the About windows' texts.
TEST_F(ProgramWindowsTest, ScreenReadersReadTheTimeAsShownAndTheAboutTexts) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto showTime = [](const ClockForm& clock) { // now, not a second after the load
        Tick(clock.Handle(), BlinkTimer());
        return std::vector<std::wstring>{std::wstring{ClockFormProbe::TimeLabel(clock).Caption()}};
    };
    const std::vector<std::wstring> mainTime = showTime(frmMain());
    ASSERT_FALSE(mainTime.front().empty());
    EXPECT_EQ(AccessibleTexts(frmMain().Handle()), mainTime);

    Choose(L"About", L"Tintavo");
    Choose(L"About", L"ZuziradOdor");
    for (const auto& [about, texts] : {std::pair{Form1().Handle(), 2u}, std::pair{Form2().Handle(), 4u}}) {
        EXPECT_EQ(AccessibleTexts(about).size(), texts); // the frame's caption and each label, none empty
    }

    Choose(L"File", L"Small");
    const std::vector<std::wstring> compactTime = showTime(Form3());
    EXPECT_EQ(AccessibleTexts(Form3().Handle()), compactTime);
    CoUninitialize();
}

// Counts the main clock's windows created while it is installed: the main clock's loads.
int mainLoads = 0;
LRESULT CALLBACK CountMainLoads(int code, WPARAM wParam, LPARAM lParam) {
    if (test_support::MainClockCreated(code, wParam, lParam)) ++mainLoads;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window whose unload waits on a message in which the session ends once more.
class EndsAgainForm final : public Form {
public:
    EndsAgainForm() : Form{{L"Ends again", {900, 600}, std::nullopt, 0}} {}
    bool endingAfterwards = false;

private:
    void Form_Unload(int&) override {
        SendMessageW(Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        // What the compact clock asks before it brings the main clock back.
        endingAfterwards = ProgramEnding();
    }
};

TEST_F(ProgramWindowsTest, TheEndOfTheSessionEndsTheProgramQuietlyAndACancelledEndChangesNothing) {
    Choose(L"About", L"Tintavo");
    EXPECT_EQ(SendMessageW(frmMain().Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    SendMessageW(frmMain().Handle(), WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(frmMain().IsLoaded());
    EXPECT_TRUE(Form1().IsLoaded());
    EXPECT_FALSE(QuitPosted());

    // Log-off while the compact clock runs: it goes without bringing the main clock back, even for a
    // moment, and also while the end runs again inside itself.
    EndsAgainForm other;
    other.Show();
    Choose(L"File", L"Small");
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &CountMainLoads, nullptr, GetCurrentThreadId());
    mainLoads = 0;
    EXPECT_EQ(SendMessageW(Form3().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(Form3().Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(mainLoads, 0);
    EXPECT_TRUE(other.endingAfterwards);
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_FALSE(frmMain().IsLoaded());
    EXPECT_EQ(FindWindowW(nullptr, test_support::kMainTitle), nullptr);
    EXPECT_TRUE(QuitPosted());

    // Outside the end of a session, closing the compact clock still brings the main clock back.
    frmMain().Show();
    Choose(L"File", L"Small");
    CloseBox(Form3());
    EXPECT_TRUE(frmMain().IsLoaded());
}

// The layer brings a window out of reach back (FormPlacementTest.AWindowOutOfReachComesBack...); a clock's
// own handling of the display and work-area changes, the presence watch's among it, lets them reach it.
TEST_F(ProgramWindowsTest, AClockOutOfReachComesBackAfterADisplayChangeAndNotAtItsTicks) {
    test_support::ExpectKeptWithinReach(frmMain().Handle(), test_support::TimeTimer());
}

TEST_F(ProgramWindowsTest, ClosingAnAboutWindowLeavesTheClockRunning) {
    Choose(L"About", L"Tintavo");
    CloseBox(Form1());
    EXPECT_FALSE(Form1().IsLoaded());
    EXPECT_TRUE(frmMain().IsLoaded());
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(PumpUntil([] { return !ClockFormProbe::TimeLabel(frmMain()).Caption().empty(); }, 1600));
}

TEST_F(ProgramWindowsTest, SmallSwitchesToTheCompactClockAndClosesTheAboutWindows) {
    Choose(L"About", L"Tintavo");
    Choose(L"About", L"ZuziradOdor");
    Choose(L"File", L"Small");
    EXPECT_TRUE(Form3().IsLoaded());
    EXPECT_TRUE(IsWindowVisible(Form3().Handle()));
    EXPECT_FALSE(frmMain().IsLoaded());
    EXPECT_FALSE(Form1().IsLoaded());
    EXPECT_FALSE(Form2().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 1);
    EXPECT_FALSE(QuitPosted());

    CloseBox(Form3()); // back to the main clock alone: the About windows stay closed
    EXPECT_TRUE(frmMain().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 1);
    // Loaded anew, as at the start (a load is the layer's, FormTest.UnloadLosesRunTimeChanges...): again a
    // topmost window keyed in its colour.
    const LONG desktop = WS_EX_TOPMOST | WS_EX_LAYERED;
    EXPECT_EQ(GetWindowLongW(frmMain().Handle(), GWL_EXSTYLE) & desktop, desktop);
}

// A command taken while a switch lets messages run (a clock window's load): a Small while the compact clock
// hands back finds it still loaded but unloading, and a clock must stay; a Close while switching to the
// compact clock ends the program, not leaving the compact clock on its own.
TEST_F(ProgramWindowsTest, ACommandTakenWhileSwitchingLeavesAClockOrEndsTheProgram) {
    Choose(L"File", L"Small");
    actions.Post([](LPARAM) { Choose(L"File", L"Small"); }); // runs inside the main clock's load
    CloseBox(Form3());
    RunPending();
    EXPECT_TRUE(frmMain().IsLoaded() || Form3().IsLoaded());
    EXPECT_FALSE(QuitPosted());

    Form3().UnloadWindow(); // the main clock alone, if the compact clock stayed
    actions.Post([](LPARAM) { Choose(L"File", L"Close"); }); // runs inside the compact clock's load
    Choose(L"File", L"Small");
    RunPending();
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ProgramWindowsTest, CloseEndsTheProgramWithEveryWindow) {
    Choose(L"About", L"Tintavo");
    Choose(L"About", L"ZuziradOdor");
    Choose(L"File", L"Close");
    EXPECT_FALSE(frmMain().IsLoaded());
    EXPECT_FALSE(Form1().IsLoaded());
    EXPECT_FALSE(Form2().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ProgramWindowsTest, TheMainCloseBoxEndsTheProgram) {
    Choose(L"About", L"ZuziradOdor");
    CloseBox(frmMain());
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_FALSE(Form2().IsLoaded());
    EXPECT_TRUE(QuitPosted());
}

// Whether a start of the program now would be the session's clock. Asked from a thread of its own: the
// claim belongs to the thread that holds it, which could claim it again.
bool FreeForTheNextClock(const wchar_t* name) {
    return std::async(std::launch::async,
                      [name] {
                          const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
                          const DWORD wait = WaitForSingleObject(mutex, 0);
                          const bool free = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
                          if (free) ReleaseMutex(mutex);
                          CloseHandle(mutex);
                          return free;
                      })
        .get();
}

TEST_F(ProgramWindowsTest, TheSessionsClockIsHeldAcrossSmallAndBackAndGivenUpAsTheLastClockCloses) {
    constexpr const wchar_t* kClaim = L"Local\\Tintavo.ProgramWindowsTest";
    struct Case {
        const char* name;
        void (*close)();
    } const cases[] = {
        {"the main close box", [] { CloseBox(frmMain()); }},
        {"Close", [] { Choose(L"File", L"Close"); }},
        {"the end of the session on the compact clock",
         [] {
             Choose(L"File", L"Small");
             SendMessageW(Form3().Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         }},
        {"the main close box while the compact clock hands back",
         [] {
             Choose(L"File", L"Small");
             const test_support::ActionWindow during;
             during.Post([](LPARAM) { CloseBox(frmMain()); });
             CloseBox(Form3());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frmMain().Show();
        ASSERT_TRUE(one_clock::Claim(kClaim));
        Choose(L"File", L"Small");
        EXPECT_FALSE(FreeForTheNextClock(kClaim)) << "given up at Small";
        CloseBox(Form3());
        EXPECT_FALSE(FreeForTheNextClock(kClaim)) << "given up as the compact clock handed back";
        c.close();
        EXPECT_TRUE(QuitPosted());
        EXPECT_TRUE(FreeForTheNextClock(kClaim)) << "held after the last clock closed";
        one_clock::GiveUp();
    }
}

} // namespace
} // namespace tintavo
