// The controls a form paints: group frames, text labels and lines.
#include "windows/form/controls.h"

#include "windows/form/rgb.h"

#include <algorithm>

namespace tintavo {

// ---- Text controls -------------------------------------------------------------------------------------

void TextControl::OnLoad(UINT dpi) {
    text_.Create(owner_.Handle(), designText_);
    Rescale(dpi);
}

void TextControl::Rescale(UINT dpi) {
    font_ = CreateFontFrom(fontDesign_, dpi);
    bounds_ = TwipsToPixels(designBounds_, dpi);
    text_.Move(bounds_);
}

void TextControl::OnUnload() {
    font_.reset();
    text_.Forget();
}

// ---- Frame ---------------------------------------------------------------------------------------------

void Frame::Rescale(UINT dpi) {
    TextControl::Rescale(dpi);
    captionIndent_ = TwipsToPixels(120, dpi);
    captionSpace_ = TwipsToPixels(30, dpi);
}

void Frame::Paint(HDC dc) const {
    const gdi::SavedState saved{dc};
    gdi::Fill(dc, bounds_, ToRgb(design_.backColor));

    const gdi::Selection font{dc, font_.get()};
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT border = bounds_;
    border.top += metrics.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    // The caption interrupts the top edge near its left end, with a little space on either side.
    RECT caption{bounds_.left + captionIndent_, bounds_.top, bounds_.right - captionIndent_,
                 bounds_.top + metrics.tmHeight};
    const int length = lstrlenW(design_.caption);
    SIZE extent{};
    GetTextExtentPoint32W(dc, design_.caption, length, &extent);
    caption.right = (std::min)(caption.right, caption.left + extent.cx + 2 * captionSpace_);
    SetBkColor(dc, ToRgb(design_.backColor));
    SetTextColor(dc, ToRgb(SystemColor(COLOR_BTNTEXT)));
    ExtTextOutW(dc, caption.left + captionSpace_, caption.top, ETO_OPAQUE | ETO_CLIPPED, &caption,
                design_.caption, static_cast<UINT>(length), nullptr);
}

// ---- Label ---------------------------------------------------------------------------------------------

void Label::OnLoad(UINT dpi) {
    caption_ = design_.caption;
    foreColor_ = design_.foreColor;
    visible_ = true;
    TextControl::OnLoad(dpi);
}

TwipsRect Label::InForm(TwipsRect bounds, const Frame* container) {
    if (container) {
        bounds.left += container->DesignBounds().left;
        bounds.top += container->DesignBounds().top;
    }
    return bounds;
}

void Label::SetCaptionText(std::wstring_view caption) {
    if (caption == caption_) return;
    std::copy(caption.begin(), caption.end(), buffer_); // it fits: SetCaption checked its size
    buffer_[caption.size()] = L'\0';
    caption_ = {buffer_, caption.size()};
    text_.SetText(buffer_);
    Invalidate();
}

void Label::SetForeColor(Color color) {
    if (color == foreColor_) return;
    foreColor_ = color;
    Invalidate();
}

void Label::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    text_.SetVisible(visible); // a hidden text is not read out either
    Invalidate();
}

void Label::Invalidate() const {
    if (owner_.IsLoaded()) InvalidateRect(owner_.Handle(), &bounds_, FALSE);
}

bool Label::TakesPress(POINT point) const { return visible_ && PtInRect(&bounds_, point); }

void Label::Paint(HDC dc) const {
    if (!visible_) return;
    const gdi::SavedState saved{dc};
    if (container_) {
        const RECT& clip = container_->Bounds();
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    }
    IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
    if (design_.backColor) gdi::Fill(dc, bounds_, ToRgb(*design_.backColor));
    if (caption_.empty()) return;
    const gdi::Selection font{dc, font_.get()};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToRgb(foreColor_));
    RECT text = bounds_;
    DrawTextW(dc, caption_.data(), static_cast<int>(caption_.size()), &text,
              design_.align | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

// ---- Line ----------------------------------------------------------------------------------------------

void Line::Rescale(UINT dpi) {
    fromPixels_ = TwipsToPixels(from_, dpi);
    toPixels_ = TwipsToPixels(to_, dpi);
}

void Line::Paint(HDC dc) const {
    const COLORREF color = ToRgb(SystemColor(COLOR_WINDOWTEXT));
    const gdi::Selection pen{dc, GetStockObject(DC_PEN)}; // the stock pen is 1 pixel wide
    SetDCPenColor(dc, color);
    MoveToEx(dc, fromPixels_.x, fromPixels_.y, nullptr);
    LineTo(dc, toPixels_.x, toPixels_.y);
    SetPixelV(dc, toPixels_.x, toPixels_.y, color); // LineTo leaves out the end point
}

} // namespace tintavo
