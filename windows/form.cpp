// The form layer: window creation, lifecycle, painting and input routing for the program's windows.
#include "windows/form.h"

#include "desktop/translucent_wnd.h"
#include "desktop/win32/win32_window_manager.h"
#include "windows/res/resource.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace tintavo {

namespace {

constexpr wchar_t kWindowClass[] = L"TintavoForm";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU; // fixed thin frame, caption and close box only
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;      // small caption, no taskbar button

// WM_GETMINMAXINFO arrives before WM_NCCREATE binds the object: this names the form being created.
thread_local Form* creatingForm = nullptr;

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

RECT Offset(RECT rect, const RECT* container) {
    if (container) OffsetRect(&rect, container->left, container->top);
    return rect;
}

} // namespace

gdi::Font CreateFontFrom(const FontDesign& font) {
    // Layout is in pixels at 96 DPI: a point is 96/72 pixels.
    const int height = -static_cast<int>(std::lround(font.points * 96.0 / 72.0));
    return gdi::Font{CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | font.family, font.face)};
}

COLORREF ToRgb(Colour colour) {
    return MTranslucentWnd::TranslateColor(desktop::SystemWindowManager(), colour);
}

// ---- Controls ------------------------------------------------------------------------------------------

Control::Control(Form& owner) : owner_{owner} { owner.controls_.push_back(this); }

void Frame::Paint(HDC dc) const {
    gdi::SavedState saved{dc};
    SetDCBrushColor(dc, ToRgb(design_.backColor));
    FillRect(dc, &design_.bounds, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    const gdi::Selection font{dc, font_.get()};
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT border = design_.bounds;
    border.top += metrics.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    // The caption interrupts the top edge near its left end.
    RECT caption{design_.bounds.left + 8, design_.bounds.top, design_.bounds.right - 8,
                 design_.bounds.bottom};
    const int length = lstrlenW(design_.caption);
    SIZE extent{};
    GetTextExtentPoint32W(dc, design_.caption, length, &extent);
    caption.right = (std::min)(caption.right, caption.left + extent.cx + 4);
    caption.bottom = caption.top + metrics.tmHeight;
    SetBkColor(dc, ToRgb(design_.backColor));
    SetTextColor(dc, ToRgb(SystemColour(COLOR_BTNTEXT)));
    ExtTextOutW(dc, caption.left + 2, caption.top, ETO_OPAQUE | ETO_CLIPPED, &caption, design_.caption,
                static_cast<UINT>(length), nullptr);
}

void Label::Load() {
    caption_ = design_.caption;
    foreColor_ = design_.foreColor;
    visible_ = true;
    font_ = CreateFontFrom(design_.font);
}

RECT Label::Bounds() const { return Offset(design_.bounds, container_ ? &container_->Bounds() : nullptr); }

void Label::SetCaption(std::wstring_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Invalidate();
}

void Label::SetForeColor(Colour colour) {
    if (colour == foreColor_) return;
    foreColor_ = colour;
    Invalidate();
}

void Label::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Invalidate();
}

void Label::Invalidate() const {
    if (!owner_.IsLoaded()) return;
    const RECT bounds = Bounds();
    InvalidateRect(owner_.Handle(), &bounds, FALSE);
}

bool Label::TakesPress(POINT point) const {
    const RECT bounds = Bounds();
    return visible_ && PtInRect(&bounds, point);
}

void Label::Paint(HDC dc) const {
    if (!visible_) return;
    const RECT bounds = Bounds();
    gdi::SavedState saved{dc};
    if (container_) {
        const RECT& clip = container_->Bounds();
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    }
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    if (design_.backColor) {
        SetDCBrushColor(dc, ToRgb(*design_.backColor));
        FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    if (caption_.empty()) return;
    const gdi::Selection font{dc, font_.get()};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToRgb(foreColor_));
    RECT text = bounds;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              design_.align | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

void Line::Paint(HDC dc) const {
    const COLORREF colour = ToRgb(SystemColour(COLOR_WINDOWTEXT));
    const gdi::Selection pen{dc, GetStockObject(DC_PEN)};
    SetDCPenColor(dc, colour);
    MoveToEx(dc, from_.x, from_.y, nullptr);
    LineTo(dc, to_.x, to_.y);
    SetPixelV(dc, to_.x, to_.y, colour); // LineTo leaves out the end point
}

Timer::Timer(Form& owner, UINT intervalMs, bool enabledAtLoad, std::function<void()> onTick)
    : Control{owner}, id_{owner.timers_.size() + 1}, intervalMs_{intervalMs},
      enabledAtLoad_{enabledAtLoad}, onTick_{std::move(onTick)} {
    owner.timers_.push_back(this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return; // a running timer keeps its countdown
    enabled_ = enabled;
    if (!owner_.IsLoaded()) return;
    if (enabled)
        SetTimer(owner_.Handle(), id_, intervalMs_, nullptr);
    else
        KillTimer(owner_.Handle(), id_);
}

// ---- Form ----------------------------------------------------------------------------------------------

Form::Form(FormDesign design, std::vector<MenuDesign> menuBar)
    : design_{design}, menuBar_{std::move(menuBar)}, backColor_{design.backColor} {}

void Form::Show() {
    Load();
    ShowNow();
}

void Form::ShowNow() {
    if (IsLoaded()) ShowWindow(window_, SW_SHOW);
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

RECT Form::OuterRect() const {
    RECT outer{0, 0, design_.client.cx, design_.client.cy};
    AdjustWindowRectEx(&outer, kStyle, !menuBar_.empty(), kExStyle);
    return outer;
}

void Form::Load() {
    if (IsLoaded()) return;
    static const ATOM windowClass = RegisterFormClass(&Form::WindowProc);

    const RECT outer = OuterRect(); // around a client area at (0, 0)
    int x = CW_USEDEFAULT, y = 0;
    if (design_.clientOrigin) {
        x = design_.clientOrigin->x + outer.left;
        y = design_.clientOrigin->y + outer.top;
    }

    backColor_ = design_.backColor;
    const HMENU menu = CreateMenuBar(); // the window owns it from creation on
    creatingForm = this;
    CreateWindowExW(kExStyle, MAKEINTATOM(windowClass), design_.caption, kStyle, x, y,
                    outer.right - outer.left, outer.bottom - outer.top, nullptr, menu,
                    GetModuleHandleW(nullptr), this);
    creatingForm = nullptr;
    if (!window_) {
        if (menu) DestroyMenu(menu);
        return;
    }

    // A menu bar that wraps, or a frame of another size than the one assumed, would shrink the client
    // area: grow the window until the client area has its design size.
    RECT client{};
    GetClientRect(window_, &client);
    if (client.right != design_.client.cx || client.bottom != design_.client.cy) {
        RECT now{};
        GetWindowRect(window_, &now);
        SetWindowPos(window_, nullptr, 0, 0, now.right - now.left + design_.client.cx - client.right,
                     now.bottom - now.top + design_.client.cy - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    ++loadedCount_;
    for (Control* control : controls_)
        control->Load();
    Form_Load();
}

void Form::Unload() {
    if (!IsLoaded() || unloading_) return;
    unloading_ = true;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        unloading_ = false;
        return;
    }
    for (Control* control : controls_)
        control->Unload();
    DestroyWindow(window_); // WM_NCDESTROY clears window_
    unloading_ = false;
    if (--loadedCount_ == 0) PostQuitMessage(0);
}

void Form::SetBackColor(Colour colour) {
    if (colour == backColor_) return;
    backColor_ = colour;
    if (IsLoaded()) InvalidateRect(window_, nullptr, FALSE);
}

HMENU Form::CreateMenuBar() const {
    if (menuBar_.empty()) return nullptr;
    HMENU bar = CreateMenu();
    UINT command = kFirstMenuCommand;
    for (const MenuDesign& menu : menuBar_) {
        HMENU popup = CreatePopupMenu();
        for (const auto& item : menu.items)
            AppendMenuW(popup, MF_STRING, command++, item.first);
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
    }
    return bar;
}

void Form::Paint() {
    gdi::PaintDc paint{window_};
    RECT client{};
    GetClientRect(window_, &client);
    // Everything is drawn off screen first, so a caption or colour change never flickers.
    gdi::BackBuffer buffer{paint.Get(), client.right, client.bottom};
    const HDC dc = buffer.Get();
    SetDCBrushColor(dc, ToRgb(backColor_));
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    for (const Control* control : controls_)
        control->Paint(dc);
    const RECT& dirty = paint.Dirty();
    BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc,
           dirty.left, dirty.top, SRCCOPY);
}

void Form::MouseDown(int button, WPARAM keys, LPARAM position) {
    const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    for (auto control = controls_.rbegin(); control != controls_.rend(); ++control)
        if ((*control)->TakesPress(point)) return; // the control has no handler of its own
    const int shift =
        ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    Form_MouseDown(button, shift, static_cast<float>(point.x), static_cast<float>(point.y));
}

void Form::OnTimer(UINT_PTR id) {
    if (id == 0 || id > timers_.size()) return;
    Timer& timer = *timers_[id - 1];
    if (timer.enabled_) timer.onTick_();
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_LBUTTONDOWN:
        MouseDown(1, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        MouseDown(2, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
        MouseDown(4, wParam, lParam);
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) {
            UINT command = kFirstMenuCommand;
            for (const MenuDesign& menu : menuBar_)
                for (const auto& item : menu.items)
                    if (command++ == LOWORD(wParam)) {
                        item.second();
                        return 0;
                    }
        }
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_GETMINMAXINFO && (form || creatingForm)) {
        // The window is as large as its design, which may be below the system's minimum tracking size.
        const RECT outer = (form ? form : creatingForm)->OuterRect();
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {outer.right - outer.left,
                                                                 outer.bottom - outer.top};
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
    return form->HandleMessage(message, wParam, lParam);
}

} // namespace tintavo
