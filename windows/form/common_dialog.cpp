// The colour dialog host. The dialog's library and the common controls it draws with are loaded when the
// dialog is first shown, not at start: a clock that never opens it should not carry them.
#include "windows/form/common_dialog.h"

#include "windows/form/resource_ids.h"
#include "windows/form/rgb.h"
#include "windows/form/system_call.h"

namespace tintavo {

namespace {

// The dialog's own manifest resource asks for Common Controls 6, so that the dialog keeps its visual
// styles while the process manifest no longer loads them at start. Made once; INVALID_HANDLE_VALUE
// where the module holds no such resource (the test program), and the dialog is then drawn without.
HANDLE DialogActivationContext() {
    static const HANDLE context = [] {
        wchar_t exe[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        if (length == 0 || length == MAX_PATH) return INVALID_HANDLE_VALUE;
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = exe; // the image that holds the resource, as older systems want it named
        request.hModule = GetModuleHandleW(nullptr);
        request.lpResourceName = MAKEINTRESOURCEW(IDR_DIALOG_MANIFEST);
        return CreateActCtxW(&request);
    }();
    return context;
}

// Activates an activation context for the scope's lifetime; does nothing without one.
class ActivationScope {
public:
    explicit ActivationScope(HANDLE context) {
        if (context != INVALID_HANDLE_VALUE && !ActivateActCtx(context, &cookie_)) cookie_ = 0;
    }
    ~ActivationScope() {
        if (cookie_) (void)DeactivateActCtx(0, cookie_);
    }
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;

private:
    ULONG_PTR cookie_ = 0;
};

// Windows created on this thread in the scope's lifetime get the system's DPI awareness, and the system
// stretches them on a monitor of another scale (Windows 10 1607 and later; elsewhere nothing changes).
// The colour dialog is a fixed dialog template: shown per-monitor aware it has been seen laid out badly
// after a move to a monitor of another scale, while stretched it keeps its layout. Mixed-mode DPI:
// https://learn.microsoft.com/windows/win32/hidpi/high-dpi-improvements-for-desktop-applications
class SystemAwareScope {
public:
    SystemAwareScope()
        : previous_{system_call::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE)} {}
    ~SystemAwareScope() {
        if (previous_) (void)system_call::SetThreadDpiAwarenessContext(previous_);
    }
    SystemAwareScope(const SystemAwareScope&) = delete;
    SystemAwareScope& operator=(const SystemAwareScope&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_;
};

} // namespace

bool CommonDialog::SystemPrompt(CHOOSECOLORW& dialog) {
    // Under the dialog's activation context, comdlg32 loads on first use with Common Controls 6 too.
    const ActivationScope styled{DialogActivationContext()};
    const SystemAwareScope stretched;
    return system_call::ChooseColorW(&dialog) != FALSE; // unavailable: as if cancelled
}

void CommonDialog::OnLoad(UINT /*dpi*/) {
    flags_ = 0;
    color_ = 0;
    customColors_.fill(RGB(255, 255, 255));
}

bool CommonDialog::ShowColor() {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_.Handle();
    dialog.rgbResult = ToRgb(color_);
    dialog.lpCustColors = customColors_.data();
    dialog.Flags = flags_;
    if (!prompt_(dialog)) return false;
    color_ = dialog.rgbResult;
    return true;
}

} // namespace tintavo
