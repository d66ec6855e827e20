// Presence: whether anybody can see the desktop. The clock windows pause while nobody can, so that nothing
// wakes the processor for a clock that is not seen.
#pragma once

namespace tintavo::desktop {

// What the system or the user tells about presence, as the window layer hears it.
enum class PresenceEvent {
    // Causes of its absence, and the display's own return.
    DisplayOff,
    Lock,
    ConsoleDisconnect,
    RemoteDisconnect,
    DisplayOn,
    DisplayDimmed, // still present
    // A person.
    Unlock,
    ConsoleConnect,
    RemoteConnect,
    Logon,
    WakeByUser, // the computer woke at a key or a press: the display is back, not the session
    Input,      // a press, a key or a menu on a clock window
    // Nobody: these come as well with the screen dark and the session locked.
    Wake,            // any wake, also an unattended one (maintenance, updates, a wake timer)
    DisplaysChanged, // a monitor that sleeps may look unplugged
    ClockSet,        // the time jumped: the user or the time service set the clock
};

// What the clock windows do after an event.
enum class PresenceOutcome {
    Nothing,
    Paused,        // presence went
    Resumed,       // presence is back: the moment at once, and the clock runs again
    ShowTheMoment, // the time jumped (a wake or a set clock) while the clock can be seen
};

// Presence holds while the display is on (or dimmed) and the session is unlocked and connected. Each cause
// of its absence is set and cleared by its own events, so that a repeated event never keeps presence away.
// A person at the clock or at the session (an unlock, a connect, a logon, a press, key or menu on a clock)
// clears them all, so that a lost event never freezes a visible clock (it fails open). A wake by a person
// clears the display alone: a locked session wakes to its lock screen, and a disconnected one to nobody.
// A wake or a set clock with presence shows the moment; without it there is nothing to show, and the
// return of presence shows it, once.
class Presence {
public:
    bool Present() const { return !displayOff_ && !locked_ && !disconnected_; }
    // Applies the event and gives the one thing the clock windows do about it.
    PresenceOutcome Apply(PresenceEvent event);

private:
    bool displayOff_ = false;
    bool locked_ = false;
    bool disconnected_ = false;
};

} // namespace tintavo::desktop
