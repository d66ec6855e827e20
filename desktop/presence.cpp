// Presence: the rules of whether anybody can see the desktop.
#include "desktop/presence.h"

namespace tintavo::desktop {

PresenceOutcome Presence::Apply(PresenceEvent event) {
    const bool before = Present();
    switch (event) {
    case PresenceEvent::DisplayOff:
        displayOff_ = true;
        break;
    case PresenceEvent::DisplayOn:
    case PresenceEvent::DisplayDimmed:
    // A key or a press that wakes a locked session shows the lock screen: the lock waits for its unlock.
    // https://learn.microsoft.com/windows/win32/power/pbt-apmresumesuspend
    case PresenceEvent::WakeByUser:
        displayOff_ = false;
        break;
    case PresenceEvent::Lock:
        locked_ = true;
        break;
    case PresenceEvent::ConsoleDisconnect:
    case PresenceEvent::RemoteDisconnect:
        disconnected_ = true;
        break;
    case PresenceEvent::Unlock: // a person: whatever else was missed, presence is back
    case PresenceEvent::ConsoleConnect:
    case PresenceEvent::RemoteConnect:
    case PresenceEvent::Logon:
    case PresenceEvent::Input:
        displayOff_ = locked_ = disconnected_ = false;
        break;
    case PresenceEvent::Wake:
    case PresenceEvent::DisplaysChanged:
    case PresenceEvent::ClockSet:
        break;
    }
    if (Present() != before) return Present() ? PresenceOutcome::Resumed : PresenceOutcome::Paused;
    const bool timeJumped = event == PresenceEvent::Wake || event == PresenceEvent::WakeByUser ||
                            event == PresenceEvent::ClockSet;
    return timeJumped && Present() ? PresenceOutcome::ShowTheMoment : PresenceOutcome::Nothing;
}

} // namespace tintavo::desktop
