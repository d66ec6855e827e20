// Tests of presence: documented sequences of system events, with what the clock windows do after each
// step.
#include "desktop/presence.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo::desktop {
namespace {

using E = PresenceEvent;
constexpr PresenceOutcome kNothing = PresenceOutcome::Nothing, kPaused = PresenceOutcome::Paused,
                          kResumed = PresenceOutcome::Resumed, kShow = PresenceOutcome::ShowTheMoment;

TEST(Presence, FollowsEachCauseAndEndsOnlyForAPersonAndShowsTheMomentOnce) {
    struct Step {
        PresenceEvent event;
        PresenceOutcome outcome;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } const cases[] = {
        {"fast user switching",
         {{E::Lock, kPaused},
          {E::ConsoleDisconnect, kNothing},
          {E::ConsoleConnect, kResumed},
          {E::Unlock, kNothing}}},
        {"a remote desktop takes the session over, and gives it back",
         {{E::ConsoleDisconnect, kPaused},
          {E::RemoteConnect, kResumed},
          {E::RemoteDisconnect, kPaused},
          {E::ConsoleConnect, kResumed}}},
        {"display off, then on",
         {{E::DisplayOff, kPaused}, {E::DisplayOff, kNothing}, {E::DisplayOn, kResumed}}},
        {"dimmed is present",
         {{E::DisplayDimmed, kNothing}, {E::DisplayOff, kPaused}, {E::DisplayDimmed, kResumed}}},
        {"an unattended wake while locked and dark, then the user wakes it to the lock screen and unlocks",
         {{E::Lock, kPaused},
          {E::DisplayOff, kNothing},
          {E::Wake, kNothing},
          {E::WakeByUser, kNothing},
          {E::Unlock, kResumed}}},
        {"a wake by a person to the lock screen",
         {{E::Lock, kPaused}, {E::WakeByUser, kNothing}, {E::Unlock, kResumed}}},
        {"a wake by a person after the display went off: the moment once",
         {{E::DisplayOff, kPaused}, {E::Wake, kNothing}, {E::WakeByUser, kResumed}}},
        {"a wake by a person, disconnected", {{E::RemoteDisconnect, kPaused}, {E::WakeByUser, kNothing}}},
        {"the display-on lost, then an unlock",
         {{E::DisplayOff, kPaused}, {E::Lock, kNothing}, {E::Unlock, kResumed}}},
        {"a sleeping monitor looks unplugged: its display change is nobody",
         {{E::DisplayOff, kPaused}, {E::DisplaysChanged, kNothing}, {E::DisplayOn, kResumed}}},
        {"the display on again leaves a locked session paused",
         {{E::Lock, kPaused}, {E::DisplayOff, kNothing}, {E::DisplayOn, kNothing}, {E::Unlock, kResumed}}},
        {"a lost unlock, then a press", {{E::Lock, kPaused}, {E::Input, kResumed}}},
        {"a lost reconnect, then a logon", {{E::RemoteDisconnect, kPaused}, {E::Logon, kResumed}}},
        {"a set clock or a wake while nobody sees it shows nothing until presence is back",
         {{E::Lock, kPaused}, {E::ClockSet, kNothing}, {E::Wake, kNothing}, {E::Input, kResumed}}},
        {"with presence, a wake or a set clock shows the moment, and nothing else does",
         {{E::Wake, kShow},
          {E::WakeByUser, kShow},
          {E::ClockSet, kShow},
          {E::DisplaysChanged, kNothing},
          {E::DisplayOn, kNothing},
          {E::Input, kNothing}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Presence presence;
        bool present = true; // as at the program's start
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            EXPECT_EQ(presence.Apply(step.event), step.outcome) << "step " << i;
            if (step.outcome == kPaused || step.outcome == kResumed) present = step.outcome == kResumed;
            EXPECT_EQ(presence.Present(), present) << "step " << i;
        }
    }
}

} // namespace
} // namespace tintavo::desktop
