// Whether anybody can see the clock: the clock windows pause while the display is off or the session is
// locked or disconnected, so that nothing wakes the processor for a clock nobody sees.
#pragma once

#include "windows/form.h"

#include <windows.h>

#include <optional>

namespace tintavo {

// Why nobody can see the desktop now. One flag per cause, each set and cleared by its own messages only,
// so that a repeated or a missing message never stops a clock that can be seen; any sign of someone at
// the desktop clears them all.
class Unseen {
public:
    bool Any() const { return displayOff_ || locked_ || disconnected_; }
    // Each of these gives true when it turned whether anybody sees the desktop.
    // The session's display: 0 off, 1 on, 2 dimmed (still seen).
    bool SetDisplayState(DWORD state) {
        return Turns([this, state] { displayOff_ = state == 0; });
    }
    // A WM_WTSSESSION_CHANGE event of this session.
    bool OnSessionEvent(WPARAM event);
    bool Clear() {
        return Turns([this] { displayOff_ = locked_ = disconnected_ = false; });
    }

private:
    template <typename Change> bool Turns(Change change) {
        const bool before = Any();
        change();
        return Any() != before;
    }

    bool displayOff_ = false;
    bool locked_ = false;
    bool disconnected_ = false;
};

// The display state a WM_POWERBROADCAST(PBT_POWERSETTINGCHANGE) carries; none for another setting or a
// malformed one.
std::optional<DWORD> DisplayStateOf(const POWERBROADCAST_SETTING* setting);

// The session this process runs in; none where the system cannot tell.
std::optional<DWORD> OwnSessionId();

// Asks the system to tell the form's window about the display state of its session and about session
// changes (lock, disconnect), from the window's load until just before it goes. The calls are looked up at
// run time, so that the program still starts where one is missing; it then simply never pauses.
class UnseenNotifications final : public Control {
public:
    explicit UnseenNotifications(Form& owner) : Control{owner} {}

private:
    void OnLoad(HWND window, UINT dpi) override;
    void OnUnload() override;

    HWND window_ = nullptr;
    HPOWERNOTIFY display_ = nullptr;
    bool session_ = false;
};

} // namespace tintavo
