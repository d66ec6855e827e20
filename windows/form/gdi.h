// Owners for GDI objects and device contexts: every object is released by exactly one owner.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace tintavo::gdi {

struct ObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, ObjectDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDeleter>;

// Fills a rectangle with a solid colour through the DC's own brush: no brush to create or delete.
inline void Fill(HDC dc, const RECT& rect, COLORREF color) {
    SetDCBrushColor(dc, color);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_{window}, dc_{BeginPaint(window_, &paint_)} {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }
    const RECT& Dirty() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory DC compatible with another, with a bitmap of the given size selected into it.
class BackBuffer {
public:
    BackBuffer(HDC target, int width, int height)
        : dc_{CreateCompatibleDC(target)}, bitmap_{CreateCompatibleBitmap(target, width, height)},
          previous_{SelectObject(dc_, bitmap_.get())} {}
    ~BackBuffer() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    HDC Get() const { return dc_; }

private:
    HDC dc_;
    Bitmap bitmap_;
    HGDIOBJ previous_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_{dc}, previous_{SelectObject(dc, object)} {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Saves the DC's state (clip region, colours, modes) for one scope.
class SavedState {
public:
    explicit SavedState(HDC dc) : dc_{dc}, saved_{SaveDC(dc)} {}
    ~SavedState() { RestoreDC(dc_, saved_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    HDC dc_;
    int saved_;
};

} // namespace tintavo::gdi
