// A form's millisecond timer.
#include "windows/form/timer.h"

#include <algorithm>

namespace tintavo {

void Timer::OnLoad(UINT /*dpi*/) {
    running_ = false; // whatever was set while unloaded, the window has no timer yet
    SetEnabled(enabledAtLoad_);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == running_) return; // a running timer keeps its countdown
    if (!owner_.IsLoaded()) return;
    if (enabled) {
        running_ = Create();
    } else {
        KillTimer(owner_.Handle(), id_);
        running_ = false;
    }
}

bool Timer::Create() {
    lastTick_ = GetTickCount64();
    return create_(owner_.Handle(), id_, intervalMs_) != 0;
}

void Timer::KeepTicking() {
    // The tick count moves in steps of up to 16 ms: a fast timer is taken for lost only after a while.
    constexpr ULONGLONG kShortestGap = 250;
    if (!owner_.IsLoaded()) return;
    if (running_ && GetTickCount64() - lastTick_ <= (std::max)(2ull * intervalMs_, kShortestGap)) return;
    running_ = Create();
    if (!running_) KillTimer(owner_.Handle(), id_); // whatever may be left of an old one
}

bool Timer::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    if (message != WM_TIMER || wParam != id_) return false;
    if (running_) Tick(); // a tick already queued when the timer was stopped is dropped
    result = 0;
    return true;
}

void Timer::Tick() {
    lastTick_ = GetTickCount64();
    onTick_();
}

} // namespace tintavo
