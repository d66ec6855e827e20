// Tests of presence: documented sequences of system events, with whether anybody can see the desktop after
// each step.
#include "desktop/presence.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo::desktop {
namespace {

using E = PresenceEvent;

TEST(Presence, FollowsEachCauseAndEndsOnlyForAPerson) {
    struct Step {
        PresenceEvent event;
        bool present; // after the event
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } const cases[] = {
        {"fast user switching",
         {{E::Lock, false}, {E::ConsoleDisconnect, false}, {E::ConsoleConnect, true}, {E::Unlock, true}}},
        {"a remote desktop takes the session over, and gives it back",
         {{E::ConsoleDisconnect, false},
          {E::RemoteConnect, true},
          {E::RemoteDisconnect, false},
          {E::ConsoleConnect, true}}},
        {"display off, then on", {{E::DisplayOff, false}, {E::DisplayOff, false}, {E::DisplayOn, true}}},
        {"dimmed is present", {{E::DisplayDimmed, true}, {E::DisplayOff, false}, {E::DisplayDimmed, true}}},
        {"an unattended wake while locked and dark, then the user wakes it to the lock screen and unlocks",
         {{E::Lock, false}, {E::DisplayOff, false}, {E::Wake, false}, {E::WakeByUser, false}, {E::Unlock, true}}},
        {"a wake by a person to the lock screen", {{E::Lock, false}, {E::WakeByUser, false}, {E::Unlock, true}}},
        {"a wake by a person, unlocked", {{E::DisplayOff, false}, {E::WakeByUser, true}}},
        {"a wake by a person, disconnected", {{E::RemoteDisconnect, false}, {E::WakeByUser, false}}},
        {"the display-on lost, then an unlock", {{E::DisplayOff, false}, {E::Lock, false}, {E::Unlock, true}}},
        {"a sleeping monitor looks unplugged: its display change is nobody",
         {{E::DisplayOff, false}, {E::DisplaysChanged, false}, {E::DisplayOn, true}}},
        {"the display on again leaves a locked session paused",
         {{E::Lock, false}, {E::DisplayOff, false}, {E::DisplayOn, false}, {E::Unlock, true}}},
        {"a lost unlock, then a press", {{E::Lock, false}, {E::Input, true}}},
        {"a lost reconnect, then a logon", {{E::RemoteDisconnect, false}, {E::Logon, true}}},
        {"events that tell no presence leave it as it is",
         {{E::Wake, true}, {E::DisplaysChanged, true}, {E::DisplayOn, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Presence presence;
        bool before = presence.Present();
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            const bool turned = presence.Apply(step.event);
            EXPECT_EQ(presence.Present(), step.present) << "step " << i;
            EXPECT_EQ(turned, step.present != before) << "step " << i;
            before = presence.Present();
        }
    }
}

} // namespace
} // namespace tintavo::desktop
