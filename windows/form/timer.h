// A form's millisecond timer.
#pragma once

#include "windows/form/form.h"
#include "windows/form/handler.h"

namespace tintavo {

// Enabling a running timer keeps its countdown: Win32's SetTimer would restart it. Only a timer the system
// created counts as running, so a refused one is tried again at the next enable.
class Timer final : public Control {
public:
    // Creates the system timer (SetTimer's signature without the callback); tests put a failing one in.
    using Creator = UINT_PTR (*)(HWND window, UINT_PTR id, UINT intervalMs);
    static void UseCreator(Creator create) { create_ = create ? create : &SystemCreate; }

    Timer(Form& owner, UINT intervalMs, bool enabledAtLoad, Handler onTick)
        : Control{owner}, id_{owner.NewTimerId()}, intervalMs_{intervalMs},
          enabledAtLoad_{enabledAtLoad}, onTick_{onTick} {}

    UINT_PTR Id() const { return id_; } // the WM_TIMER id of its ticks
    bool Enabled() const { return running_; }
    void SetEnabled(bool enabled);
    // Makes sure the timer ticks: one that is not running, or that has missed two intervals (in case the
    // system dropped it), is created again; one that ticks keeps its countdown.
    void KeepTicking();

private:
    void OnLoad(UINT dpi) override;
    void OnUnload() override { SetEnabled(false); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Tick();
    bool Create();
    static UINT_PTR SystemCreate(HWND window, UINT_PTR id, UINT intervalMs) {
        return SetTimer(window, id, intervalMs, nullptr);
    }

    UINT_PTR id_;
    UINT intervalMs_;
    bool enabledAtLoad_;
    bool running_ = false;
    ULONGLONG lastTick_ = 0; // or the time it was created
    Handler onTick_;

    static constinit inline Creator create_ = &SystemCreate;
};

} // namespace tintavo
