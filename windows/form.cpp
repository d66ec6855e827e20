// The form layer: window creation, lifecycle, painting and input routing for the program's windows.
#include "windows/form.h"

#include "desktop/translucent_wnd.h"
#include "desktop/win32/win32_window_manager.h"
#include "windows/dpi.h"
#include "windows/res/resource.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <utility>

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

constexpr int kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72.0;

// Keeps a STATIC from drawing; its own window procedure, which this one stands in front of, is kept in
// the window's user data.
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

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch); }

RECT TwipsToPixels(const TwipsRect& rect, UINT dpi) {
    // The edges are converted, not the size, so that neighbouring items stay flush at every DPI.
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
            TwipsToPixels(rect.left + rect.width, dpi), TwipsToPixels(rect.top + rect.height, dpi)};
}

gdi::Font CreateFontFrom(const FontDesign& font, UINT dpi) {
    const int height = -static_cast<int>(std::lround(font.points * dpi / kPointsPerInch));
    return gdi::Font{CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | font.family, font.face)};
}

COLORREF ToRgb(Colour colour) {
    return MTranslucentWnd::TranslateColor(desktop::SystemWindowManager(), colour);
}

// ---- Text windows --------------------------------------------------------------------------------------

void TextWindow::Create(HWND parent, const wchar_t* text) {
    window_ = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) return; // the form still shows the text; only screen readers miss it
    SetWindowLongPtrW(window_, GWLP_USERDATA, GetWindowLongPtrW(window_, GWLP_WNDPROC));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SilentStatic));
}

void TextWindow::SendToBack() const {
    if (window_) SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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

// ---- Controls ------------------------------------------------------------------------------------------

Control::Control(Form& owner) : owner_{owner} { owner.controls_.push_back(this); }

void Frame::Load() {
    text_.Create(owner_.Handle(), design_.caption);
    text_.SendToBack(); // a screen reader exploring by pointer finds the labels in the frame, not the frame
    Rescale();
}

void Frame::Rescale() {
    font_ = CreateFontFrom(design_.font, owner_.Dpi());
    text_.Move(owner_.Pixels(design_.bounds));
}

void Frame::Unload() {
    font_.reset();
    text_.Forget();
}

void Frame::Paint(HDC dc) const {
    gdi::SavedState saved{dc};
    const RECT bounds = owner_.Pixels(design_.bounds);
    SetDCBrushColor(dc, ToRgb(design_.backColor));
    FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    const gdi::Selection font{dc, font_.get()};
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT border = bounds;
    border.top += metrics.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    // The caption interrupts the top edge near its left end, with a little space on either side.
    const int indent = owner_.Pixels(120);
    const int space = owner_.Pixels(30);
    RECT caption{bounds.left + indent, bounds.top, bounds.right - indent, bounds.top + metrics.tmHeight};
    const int length = lstrlenW(design_.caption);
    SIZE extent{};
    GetTextExtentPoint32W(dc, design_.caption, length, &extent);
    caption.right = (std::min)(caption.right, caption.left + extent.cx + 2 * space);
    SetBkColor(dc, ToRgb(design_.backColor));
    SetTextColor(dc, ToRgb(SystemColour(COLOR_BTNTEXT)));
    ExtTextOutW(dc, caption.left + space, caption.top, ETO_OPAQUE | ETO_CLIPPED, &caption, design_.caption,
                static_cast<UINT>(length), nullptr);
}

void Label::Load() {
    caption_ = design_.caption;
    caption_.reserve(15); // room for any time caption, so that changing it never allocates
    foreColor_ = design_.foreColor;
    visible_ = true;
    text_.Create(owner_.Handle(), caption_.c_str());
    Rescale();
}

void Label::Rescale() {
    font_ = CreateFontFrom(design_.font, owner_.Dpi());
    text_.Move(Bounds());
}

void Label::Unload() {
    font_.reset();
    text_.Forget();
}

RECT Label::Bounds() const {
    TwipsRect bounds = design_.bounds;
    if (container_) {
        bounds.left += container_->DesignBounds().left;
        bounds.top += container_->DesignBounds().top;
    }
    return owner_.Pixels(bounds);
}

void Label::SetCaption(std::wstring_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    text_.SetText(caption_.c_str());
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
    text_.SetVisible(visible); // a hidden text is not read out either
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
        const RECT clip = owner_.Pixels(container_->DesignBounds());
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
    const gdi::Selection pen{dc, GetStockObject(DC_PEN)}; // the stock pen is 1 pixel wide
    SetDCPenColor(dc, colour);
    const POINT to{owner_.Pixels(to_.x), owner_.Pixels(to_.y)};
    MoveToEx(dc, owner_.Pixels(from_.x), owner_.Pixels(from_.y), nullptr);
    LineTo(dc, to.x, to.y);
    SetPixelV(dc, to.x, to.y, colour); // LineTo leaves out the end point
}

Timer::Timer(Form& owner, UINT intervalMs, bool enabledAtLoad, std::function<void()> onTick)
    : Control{owner}, id_{owner.timers_.size() + 1}, intervalMs_{intervalMs},
      enabledAtLoad_{enabledAtLoad}, onTick_{std::move(onTick)} {
    owner.timers_.push_back(this);
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

// ---- Form ----------------------------------------------------------------------------------------------

Form::Form(FormDesign design, std::vector<MenuDesign> menuBar)
    : design_{design}, menuBar_{std::move(menuBar)}, backColor_{design.backColor}, nextForm_{firstForm_} {
    firstForm_ = this;
}

Form::~Form() {
    Form** link = &firstForm_;
    while (*link != this)
        link = &(*link)->nextForm_;
    *link = nextForm_;
}

void Form::Show() {
    if (IsLoaded()) {
        BringToFront();
        return;
    }
    Load();
    ShowNow();
}

void Form::ShowNow() {
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

void Form::EndProgram() {
    // It may run again inside itself, from a message that an unload waits on: only the outer run ends it.
    const bool outer = !std::exchange(ending_, true);
    for (Form* form = firstForm_; form; form = form->nextForm_)
        form->Unload();
    if (outer) ending_ = false;
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

RECT Form::OuterRect(UINT dpi) const {
    const RECT client{0, 0, TwipsToPixels(design_.client.cx, dpi), TwipsToPixels(design_.client.cy, dpi)};
    return dpi::OuterRect(client, kStyle, !menuBar_.empty(), kExStyle, dpi);
}

void Form::Load() {
    if (IsLoaded()) return;
    static const ATOM windowClass = RegisterFormClass(&Form::WindowProc);

    dpi_ = dpi::ForSystem();            // until the window exists and knows its monitor
    const RECT outer = OuterRect(dpi_); // around a client area at (0, 0)
    int x = CW_USEDEFAULT, y = 0;
    if (const std::optional<POINT> origin = DesignOrigin()) {
        x = origin->x + outer.left;
        y = origin->y + outer.top;
    }
    minTrackSize_ = {outer.right - outer.left, outer.bottom - outer.top};

    backColor_ = design_.backColor;
    const HMENU menu = CreateMenuBar(); // the window owns it from creation on
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
    FitClientArea(DesignOrigin());

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

std::optional<POINT> Form::DesignOrigin() const {
    if (!design_.clientOrigin) return std::nullopt;
    return POINT{Pixels(design_.clientOrigin->x), Pixels(design_.clientOrigin->y)};
}

void Form::FitClientArea(std::optional<POINT> origin) {
    // The frame, caption and menu bar are measured, not assumed: a menu bar that wraps, or frame metrics
    // other than expected, change the outer rectangle and never the client area's size or place. A new
    // width may wrap or unwrap the menu bar once more, hence the second round.
    const SIZE size = ClientSize();
    for (int round = 0; round < 2; ++round) {
        RECT window{};
        GetWindowRect(window_, &window);
        RECT client{};
        GetClientRect(window_, &client);
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const POINT at = origin.value_or(POINT{client.left, client.top});
        const RECT wanted{window.left + at.x - client.left, window.top + at.y - client.top,
                          window.right + at.x + size.cx - client.right,
                          window.bottom + at.y + size.cy - client.bottom};
        if (EqualRect(&wanted, &window)) return;
        minTrackSize_ = {wanted.right - wanted.left, wanted.bottom - wanted.top};
        SetWindowPos(window_, nullptr, wanted.left, wanted.top, minTrackSize_.cx, minTrackSize_.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    for (Control* control : controls_)
        control->Rescale();
    minTrackSize_ = {suggested.right - suggested.left, suggested.bottom - suggested.top};
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, minTrackSize_.cx, minTrackSize_.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    FitClientArea(std::nullopt); // the caption and menu bar do not scale in proportion
    KeepReachable();
    InvalidateRect(window_, nullptr, FALSE); // one repaint, at the new size
}

void Form::KeepReachable() {
    RECT window{};
    GetWindowRect(window_, &window);
    const int caption = dpi::SystemMetric(SM_CYSMCAPTION, dpi_) + dpi::SystemMetric(SM_CYFIXEDFRAME, dpi_);
    const desktop::DisplayMonitors monitors;
    if (const auto place = desktop::ReachablePlace({window.left, window.top, window.right, window.bottom},
                                                   caption, monitors.All())) {
        SetWindowPos(window_, nullptr, place->left, place->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
    // The front control first; one that takes the press keeps it, as it has no handler of its own.
    const auto takesPress = [&point](const Control* control) { return control->TakesPress(point); };
    if (std::any_of(controls_.rbegin(), controls_.rend(), takesPress)) return;
    const int shift =
        ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    Form_MouseDown(button, shift, static_cast<float>(point.x), static_cast<float>(point.y));
}

void Form::OnTimer(UINT_PTR id) {
    if (id == 0 || id > timers_.size()) return;
    Timer& timer = *timers_[id - 1];
    if (!timer.running_) return;
    timer.lastTick_ = GetTickCount64();
    timer.onTick_();
}

LRESULT Form::MenuChar(wchar_t typed, HMENU menu) const {
    // The captions carry no mnemonics: a letter picks the first item whose caption starts with it, in
    // the menu bar (Alt+letter) and inside an open menu alike.
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t caption[32] = {};
        if (GetMenuStringW(menu, static_cast<UINT>(i), caption, 32, MF_BYPOSITION) > 0 &&
            std::towupper(caption[0]) == std::towupper(typed)) {
            return MAKELRESULT(i, MNC_EXECUTE);
        }
    }
    return 0; // no such item: the system's answer
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
    case WM_GETDPISCALEDSIZE: { // the client area scales exactly; the caption and menu bar do not
        const RECT outer = OuterRect(static_cast<UINT>(wParam));
        *reinterpret_cast<SIZE*>(lParam) = {outer.right - outer.left, outer.bottom - outer.top};
        return TRUE;
    }
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        KeepReachable();
        break;
    case WM_MENUCHAR:
        if (HIWORD(wParam) & MF_SYSMENU) break;
        if (const LRESULT item =
                MenuChar(static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam)))
            return item;
        break;
    case WM_QUERYENDSESSION:
        return TRUE; // nothing to save, nothing to ask
    case WM_ENDSESSION:
        // Log-off, shutdown or an installer closing the program: the process may be ended right after
        // this message, so every window goes now. With FALSE the end was called off: nothing changes.
        if (wParam) EndProgram();
        return 0;
    case WM_TIMECHANGE:
        ClockChanged();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) ClockChanged();
        return TRUE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) KeepReachable();
        break;
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
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A C++ exception must not unwind through the system's frames, and a handler that failed midway
        // leaves the program in no known state: it ends here, reported by the system as a failure.
        RaiseFailFastException(nullptr, nullptr, 0);
        return 0;
    }
}

} // namespace tintavo
