// The form layer: window creation, lifecycle, placement, painting and message routing for the program's
// windows.
#include "windows/form/form.h"

#include "windows/form/gdi.h"
#include "windows/form/resource_ids.h"
#include "windows/form/rgb.h"

#include <windowsx.h>

#include <utility>

namespace tintavo {

namespace {

constexpr wchar_t kWindowClass[] = L"TintavoForm";

// WM_GETMINMAXINFO arrives before WM_NCCREATE binds the object: this names the form being created. The
// program has one thread, the one that creates every window.
constinit Form* creatingForm = nullptr;

ATOM RegisterFormClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
}

} // namespace

Control::Control(Form& owner) : owner_{owner} { owner.Add(*this); }

// ---- Lifecycle -----------------------------------------------------------------------------------------

Form::Form(const FormDesign& design, std::span<const Menu> menuBar)
    : design_{design}, menuBar_{menuBar}, backColor_{design.backColor} {
    forms_.Append(*this);
}

Form::~Form() {
    forms_.Remove(*this);
    if (!window_) return;
    // Nothing of the window reaches this form any more: its messages go to the system's handling alone.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(window_, nullptr));
    --loadedCount_;
}

void Form::Show() {
    if (IsLoaded()) {
        BringToFront();
        return;
    }
    LoadWindow();
    MakeVisible();
}

void Form::LoadWindow() {
    if (IsLoaded()) return;
    static const ATOM windowClass = RegisterFormClass(&Form::WindowProc);

    const UINT systemDpi = dpi::ForSystem(); // until the window exists and knows its monitor
    const RECT outer = DesignWindowRect(systemDpi);
    int x = CW_USEDEFAULT, y = 0;
    if (const std::optional<POINT> origin = DesignOrigin(systemDpi)) {
        x = origin->x + outer.left;
        y = origin->y + outer.top;
    }
    minTrackSize_ = {outer.right - outer.left, outer.bottom - outer.top};

    backColor_ = design_.backColor;
    const HMENU menu = menuBar_.Create(); // the window owns it from creation on
    creatingForm = this;
    // The handle comes back through WM_NCCREATE, which sets window_ before any other message arrives.
    (void)CreateWindowExW(kExStyle, MAKEINTATOM(windowClass), design_.caption, kStyle, x, y, minTrackSize_.cx,
                          minTrackSize_.cy, nullptr, menu, GetModuleHandleW(nullptr), this);
    creatingForm = nullptr;
    if (!window_) {
        if (menu) DestroyMenu(menu);
        return;
    }

    dpi_ = dpi::ForWindow(window_);
    FitClientArea(DesignOrigin(dpi_));

    ++loadedCount_;
    for (Control& control : controls_)
        control.OnLoad(dpi_);
    Form_Load();
}

void Form::UnloadWindow() {
    if (!IsLoaded() || unloading_) return;
    unloading_ = true;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        unloading_ = false;
        return;
    }
    for (Control& control : controls_)
        control.OnUnload();
    DestroyWindow(window_); // WM_NCDESTROY clears window_
    unloading_ = false;
    if (--loadedCount_ == 0) PostQuitMessage(0);
}

void Form::EndProgram() {
    // It may run again inside itself, from a message that an unload waits on: only the outer run ends it.
    const bool outer = !std::exchange(ending_, true);
    for (Form& form : forms_)
        form.UnloadWindow();
    if (outer) ending_ = false;
}

void Form::MakeVisible() {
    if (!IsLoaded()) return;
    ShowWindow(window_, SW_SHOW);
    // Windows applies the show command of the program's shortcut or start command ("Run: Minimized",
    // start /min) to the first show instead: a minimized tool window has no button to come back by.
    if (IsIconic(window_) || IsZoomed(window_) || !IsWindowVisible(window_))
        ShowWindow(window_, SW_SHOWNORMAL);
}

void Form::BringToFront() {
    const bool topmost = (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    constexpr UINT kOnlyOrder = SWP_NOMOVE | SWP_NOSIZE;
    // Into the topmost band and back above every other ordinary window: the pair raises the window over
    // other programs' windows where a plain raise may only change the order inside this program.
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kOnlyOrder);
    if (!topmost) SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, kOnlyOrder);
    SetForegroundWindow(window_);
}

void Form::PumpPendingMessagesOnce() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) { // belongs to the main loop
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Form::SetBackColor(Color color) {
    if (color == backColor_) return;
    backColor_ = color;
    if (IsLoaded()) InvalidateRect(window_, nullptr, FALSE);
}

// ---- Painting and input --------------------------------------------------------------------------------

void Form::OnPaint() {
    gdi::PaintDc paint{window_};
    RECT client{};
    GetClientRect(window_, &client);
    // Everything is drawn off screen first, so a caption or colour change never flickers.
    gdi::BackBuffer buffer{paint.Get(), client.right, client.bottom};
    const HDC dc = buffer.Get();
    gdi::Fill(dc, client, ToRgb(backColor_));
    for (const Control& control : controls_)
        control.Paint(dc);
    const RECT& dirty = paint.Dirty();
    BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc,
           dirty.left, dirty.top, SRCCOPY);
}

void Form::OnMouseDown(MouseButton button, POINT point, WPARAM keys) {
    // A control that takes the press keeps it, as it has no handler of its own.
    for (const Control& control : controls_)
        if (control.TakesPress(point)) return;
    const int shift =
        ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    Form_MouseDown(button, shift, static_cast<float>(point.x), static_cast<float>(point.y));
}

void Form::OnCommand(UINT command) {
    if (const MenuItem* item = menuBar_.ItemOf(command)) item->onClick();
}

// ---- Messages ------------------------------------------------------------------------------------------

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    for (Control& control : controls_)
        if (control.OnMessage(message, wParam, lParam, result)) return result;

    const auto point = [lParam] { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; };
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_LBUTTONDOWN:
        OnMouseDown(MouseButton::Left, point(), wParam);
        return 0;
    case WM_RBUTTONDOWN:
        OnMouseDown(MouseButton::Right, point(), wParam);
        return 0;
    case WM_MBUTTONDOWN:
        OnMouseDown(MouseButton::Middle, point(), wParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) OnCommand(LOWORD(wParam)); // menus, not accelerators
        return 0;
    case WM_MENUCHAR:
        if (HIWORD(wParam) & MF_SYSMENU) break;
        if (const LRESULT item =
                MenuBar::ItemForLetter(reinterpret_cast<HMENU>(lParam), static_cast<wchar_t>(LOWORD(wParam))))
            return item;
        break;
    case WM_CLOSE:
        UnloadWindow();
        return 0;
    case WM_GETDPISCALEDSIZE: // the client area scales exactly; the caption and menu bar do not
        *reinterpret_cast<SIZE*>(lParam) = OuterSize(static_cast<UINT>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        KeepReachable();
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) KeepReachable();
        break;
    case WM_QUERYENDSESSION:
        return TRUE; // nothing to save, nothing to ask
    case WM_ENDSESSION:
        // Log-off, shutdown or an installer closing the program: the process may be ended right after
        // this message, so every window goes now. With FALSE the end was called off: nothing changes.
        if (wParam) EndProgram();
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_GETMINMAXINFO && (form || creatingForm)) {
        // The window is as large as its design, which may be below the system's minimum tracking size.
        const SIZE size = (form ? form : creatingForm)->minTrackSize_;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {size.cx, size.cy};
        return 0;
    }
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A C++ exception must not unwind through the system's frames, and a handler that failed midway
        // leaves the program in no known state: it ends here, reported by the system as a failure.
        RaiseFailFastException(nullptr, nullptr, 0);
        return 0;
    }
#else
    return form->HandleMessage(message, wParam, lParam); // built without exceptions: none can come
#endif
}

} // namespace tintavo
