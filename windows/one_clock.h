// One clock per session: the first start of the program in a session is that session's clock, and a start
// while it runs ends at once.
#pragma once

namespace tintavo::one_clock {

// The claim's name, in the session's own namespace: each signed-in session keeps a clock of its own.
// https://learn.microsoft.com/windows/win32/termserv/kernel-object-namespaces
inline constexpr const wchar_t* kSessionClock = L"Local\\Tintavo.SessionClock";

// Claims the session's clock for this process, on the thread that runs the windows: true when no other
// process holds the claim (a claim left by a process that ended without giving it up is free), false also
// when the claim is there but this process may not open it (held by an elevated clock). Where the claim
// cannot be made at all the program runs anyway, unclaimed: better a second clock than none.
bool Claim(const wchar_t* name = kSessionClock);
// Gives the claim up, on the thread that claimed it: the clock closes for good, and a start from now on is
// the next clock rather than one that ends at once while this one goes. Nothing when nothing is claimed.
void GiveUp();

} // namespace tintavo::one_clock
