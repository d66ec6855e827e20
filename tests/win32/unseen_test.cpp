// Tests of the clock's pause while nobody can see it. Wine never sends these messages: the tests send
// them as Windows would.
#include "windows/forms.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tintavo {
namespace {

using testing::now;
using testing::PumpUntil;
using testing::QuitPosted;

constexpr GUID kSessionDisplay{0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};
constexpr GUID kOtherSetting{0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};

// One message as the system sends it.
struct Message {
    enum Kind { kDisplay, kSession, kDisplayChange, kPress, kKey } kind;
    DWORD value = 0; // the display state, or the session event
    bool pausedAfter = false;
    DWORD length = sizeof(DWORD); // of the display state
    const GUID* setting = &kSessionDisplay;
    DWORD sessionOffset = 0; // another session's id when not 0
};

void Send(HWND window, const Message& m) {
    switch (m.kind) {
    case Message::kDisplay: {
        BYTE buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
        auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer);
        setting->PowerSetting = *m.setting;
        setting->DataLength = m.length;
        std::memcpy(setting->Data, &m.value, sizeof m.value);
        EXPECT_EQ(SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                               reinterpret_cast<LPARAM>(setting)),
                  TRUE);
        break;
    }
    case Message::kSession: {
        DWORD session = 0;
        ProcessIdToSessionId(GetCurrentProcessId(), &session);
        SendMessageW(window, WM_WTSSESSION_CHANGE, m.value, static_cast<LPARAM>(session) + m.sessionOffset);
        break;
    }
    case Message::kDisplayChange:
        SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
        break;
    case Message::kPress: // on the client area outside the time
        SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
        break;
    case Message::kKey:
        SendMessageW(window, WM_KEYDOWN, VK_SHIFT, 0);
        break;
    }
}

// True when none of the clock window's three timers exists (KillTimer finds none to kill).
bool NoTimer(HWND window) {
    for (UINT_PTR id = 1; id <= 3; ++id)
        if (KillTimer(window, id)) return false;
    return true;
}

class UnseenTest : public testing::WindowTest {
protected:
    void TearDown() override {
        frmMain().Show(); // the pause is the program's: a window ends it for the next test
        SendMessageW(frmMain().Handle(), WM_DISPLAYCHANGE, 32, 0);
        WindowTest::TearDown();
    }
};

TEST_F(UnseenTest, ThePauseHoldsWhileAnyCauseHoldsAndItsEndShowsTheTimeAndColorAtOnce) {
    using M = Message;
    struct Case {
        const char* name;
        std::vector<Message> messages;
    } const cases[] = {
        {"display off, dimmed and on",
         {{M::kDisplay, 0, true}, {M::kDisplay, 2, false}, {M::kDisplay, 0, true}, {M::kDisplay, 1, false}}},
        {"off twice", {{M::kDisplay, 0, true}, {M::kDisplay, 0, true}, {M::kDisplay, 1, false}}},
        {"lock, then unlock",
         {{M::kSession, WTS_SESSION_LOCK, true}, {M::kSession, WTS_SESSION_UNLOCK, false}}},
        {"lock and dark; the display on again still leaves it locked",
         {{M::kSession, WTS_SESSION_LOCK, true},
          {M::kDisplay, 0, true},
          {M::kDisplay, 1, true},
          {M::kSession, WTS_SESSION_UNLOCK, false}}},
        {"a lost unlock, then a display change",
         {{M::kSession, WTS_SESSION_LOCK, true}, {M::kDisplayChange, 0, false}}},
        {"a lost unlock, then a press", {{M::kSession, WTS_SESSION_LOCK, true}, {M::kPress, 0, false}}},
        {"a lost display-on, then a key", {{M::kDisplay, 0, true}, {M::kKey, 0, false}}},
        {"remote disconnect and reconnect",
         {{M::kSession, WTS_REMOTE_DISCONNECT, true}, {M::kSession, WTS_REMOTE_CONNECT, false}}},
        {"payloads that are not the display's",
         {{M::kDisplay, 0, false, 2},
          {M::kDisplay, 0, false, 8},
          {M::kDisplay, 0, false, 4, &kOtherSetting},
          {M::kSession, WTS_SESSION_LOCK, false, 4, &kSessionDisplay, 1}}},
    };
    struct Shown {
        TimeOfDay time;
        const wchar_t* caption;
        Color color;
    } const times[] = {{{7, 45}, L"7:45 AM", 0x0098DDF8}, {{10, 10}, L"10:10 AM", 0x00FF0000}};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        now = {18, 9};
        frmMain().Show();
        const HWND window = frmMain().Handle();
        ASSERT_TRUE(PumpUntil([] { return frmMain().ColorTimerEnabled(); }, 500));
        bool paused = false;
        int pauses = 0;
        for (const Message& m : c.messages) {
            const std::wstring captionBefore{frmMain().TimeLabel().Caption()};
            Send(window, m);
            if (m.pausedAfter) {
                EXPECT_TRUE(NoTimer(window));
                // The time moves on and is even set; nothing shows until someone can see it.
                if (!paused) now = times[pauses++ % 2].time;
                SendMessageW(window, WM_TIMECHANGE, 0, 0);
                EXPECT_TRUE(NoTimer(window));
                EXPECT_EQ(frmMain().TimeLabel().Caption(), captionBefore);
            } else if (paused) {
                const Shown& shown = times[(pauses - 1) % 2];
                EXPECT_EQ(frmMain().TimeLabel().Caption(), shown.caption);
                EXPECT_EQ(frmMain().BackColor(), shown.color);
                EXPECT_TRUE(PumpUntil([] { return frmMain().ColorTimerEnabled(); }, 500)); // ticking again
            }
            paused = m.pausedAfter;
        }
        EXPECT_FALSE(NoTimer(window)); // the last message left it running
        frmMain().UnloadWindow();
        QuitPosted();
    }
}

TEST_F(UnseenTest, WindowsLoadedOrUnloadedWhilePausedLeaveNoTimerAndShowTheTimeWhenSeen) {
    frmMain().Show();
    Send(frmMain().Handle(), {Message::kSession, WTS_SESSION_LOCK, true});
    Form3().Show(); // a switch to the compact clock while locked
    frmMain().UnloadWindow();
    const HWND compact = Form3().Handle();
    EXPECT_TRUE(NoTimer(compact));
    now = {7, 45};
    Send(compact, {Message::kSession, WTS_SESSION_UNLOCK, false});
    EXPECT_EQ(Form3().TimeLabel().Caption(), L"7:45 AM");
    EXPECT_EQ(Form3().BackColor(), 0x0098DDF8u);

    Send(compact, {Message::kSession, WTS_SESSION_LOCK, true});
    Form3().UnloadWindow(); // brings the main clock back, paused
    EXPECT_TRUE(NoTimer(frmMain().Handle()));
    frmMain().UnloadWindow();
    EXPECT_TRUE(QuitPosted());
}

} // namespace
} // namespace tintavo
