// The text of a control for screen readers: a STATIC child window that carries it and draws nothing.
#include "windows/form/text_window.h"

namespace tintavo {

namespace {

// The subclassed STATIC's window procedure: keeps it from drawing. The STATIC's own procedure, which this
// one stands in front of, is kept in the window's user data.
LRESULT CALLBACK SilentStatic(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint); // the form has drawn these pixels already
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: // a STATIC repaints at once on a new text; the plain handler only stores it and tells
        return DefWindowProcW(window, message, wParam, lParam); // screen readers that the name changed
    }
    const auto staticProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return CallWindowProcW(staticProc, window, message, wParam, lParam);
}

} // namespace

void TextWindow::Create(HWND parent, const wchar_t* text) {
    window_ = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) return; // the form still shows the text; only screen readers miss it
    SetWindowLongPtrW(window_, GWLP_USERDATA, GetWindowLongPtrW(window_, GWLP_WNDPROC));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SilentStatic));
    // A new child window goes beneath its siblings; this one goes in front of those made before it, as the
    // form paints its controls, so that a reader exploring by pointer finds a frame's labels, not the frame.
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TextWindow::SetText(const wchar_t* text) const {
    if (window_) SetWindowTextW(window_, text);
}

void TextWindow::SetVisible(bool visible) const {
    if (window_) ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void TextWindow::Move(const RECT& bounds) const {
    if (window_) {
        SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

} // namespace tintavo
