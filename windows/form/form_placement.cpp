// Where a form's window goes: its client area at its design place and size at the window's DPI, laid out
// again on a monitor of another DPI, and brought back within reach when monitors or work areas change.
#include "windows/form/form.h"

#include "desktop/reachable.h"
#include "desktop/win32/display_monitors.h"

namespace tintavo {

std::optional<POINT> Form::DesignOrigin(UINT dpi) const {
    if (!design_.clientOrigin) return std::nullopt;
    return TwipsToPixels(*design_.clientOrigin, dpi);
}

RECT Form::DesignWindowRect(UINT dpi) const {
    const RECT client{0, 0, TwipsToPixels(design_.client.cx, dpi), TwipsToPixels(design_.client.cy, dpi)};
    return dpi::WindowRectAround(client, kStyle, !menuBar_.Empty(), kExStyle, dpi);
}

SIZE Form::OuterSize(UINT dpi) const {
    const RECT outer = DesignWindowRect(dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void Form::MoveWindowTo(const RECT& outer) {
    // A window as small as the compact clock is below the system's minimum tracking size: WM_GETMINMAXINFO
    // answers with the size asked for here.
    minTrackSize_ = {outer.right - outer.left, outer.bottom - outer.top};
    SetWindowPos(window_, nullptr, outer.left, outer.top, minTrackSize_.cx, minTrackSize_.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::FitClientArea(std::optional<POINT> origin) {
    // The frame, caption and menu bar are measured, not assumed: a menu bar that wraps, or frame metrics
    // other than expected, change the outer rectangle and never the client area's size or place. A new
    // width may wrap or unwrap the menu bar once more, hence the second round.
    const SIZE size{TwipsToPixels(design_.client.cx, dpi_), TwipsToPixels(design_.client.cy, dpi_)};
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
        MoveWindowTo(wanted);
    }
}

void Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    for (Control& control : controls_)
        control.Rescale(dpi);
    MoveWindowTo(suggested);
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

} // namespace tintavo
