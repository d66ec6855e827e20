// The controls a form paints: group frames, text labels and lines.
#pragma once

#include "windows/form/form.h"
#include "windows/form/gdi.h"
#include "windows/form/text_window.h"

#include <cstddef>
#include <cwchar>
#include <optional>
#include <string_view>

namespace tintavo {

// What a frame and a label share: a font at the window's DPI, bounds in pixels, and the text window that
// carries the text for screen readers.
class TextControl : public Control {
protected:
    // bounds: in the form's client area, in twips; text: the design's, which the text window starts with.
    TextControl(Form& owner, const FontDesign& font, const TwipsRect& bounds, const wchar_t* text)
        : Control{owner}, fontDesign_{font}, designBounds_{bounds}, designText_{text} {}

    void OnLoad(UINT dpi) override;
    void Rescale(UINT dpi) override;
    void OnUnload() override;

    RECT bounds_{}; // in the form's client area, in pixels
    gdi::Font font_;
    TextWindow text_;

private:
    FontDesign fontDesign_;
    TwipsRect designBounds_;
    const wchar_t* designText_;
};

// A group box with an etched border and a caption; the labels placed in it are clipped to it.
class Frame final : public TextControl {
public:
    struct Design {
        const wchar_t* caption;
        TwipsRect bounds; // in the form's client area
        Color backColor;
        FontDesign font;
    };
    Frame(Form& owner, const Design& design)
        : TextControl{owner, design.font, design.bounds, design.caption}, design_{design} {}

    const TwipsRect& DesignBounds() const { return design_.bounds; }
    const RECT& Bounds() const { return bounds_; }

private:
    void Rescale(UINT dpi) override;
    void Paint(HDC dc) const override;

    Design design_;
    int captionIndent_ = 0, captionSpace_ = 0; // in pixels
};

// A windowless text label. A visible label keeps presses on it for itself, so they reach no handler.
class Label final : public TextControl {
public:
    struct Design {
        TwipsRect bounds; // in the container: the frame if there is one, else the form's client area
        const wchar_t* caption;
        FontDesign font;
        Color foreColor = SystemColor(COLOR_BTNTEXT);
        std::optional<Color> backColor = std::nullopt; // none: transparent
        UINT align = DT_LEFT;
    };
    // Room for a caption set at run time, its terminator included: a short text such as a time of day, in a
    // fixed buffer, so that a caption set twice a second allocates nothing.
    static constexpr std::size_t kCaptionCapacity = 16;

    Label(Form& owner, const Design& design, const Frame* container = nullptr)
        : TextControl{owner, design.font, InForm(design.bounds, container), design.caption}, design_{design},
          container_{container} {}

    std::wstring_view Caption() const { return caption_; }
    // A text of at most kCaptionCapacity characters with its terminator; a larger array does not compile.
    template <std::size_t N> void SetCaption(const wchar_t (&text)[N]) {
        static_assert(N <= kCaptionCapacity, "the caption does not fit the label's buffer");
        SetCaptionText(std::wstring_view{text, std::wcslen(text)});
    }
    Color ForeColor() const { return foreColor_; }
    void SetForeColor(Color color);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    const RECT& Bounds() const { return bounds_; } // in the form's client area, in pixels
    HFONT Font() const { return font_.get(); }

private:
    static TwipsRect InForm(TwipsRect bounds, const Frame* container);
    void OnLoad(UINT dpi) override;
    void Paint(HDC dc) const override;
    bool TakesPress(POINT point) const override;
    void SetCaptionText(std::wstring_view caption);
    void Invalidate() const;

    Design design_;
    const Frame* container_;
    std::wstring_view caption_;             // the design's text, or the buffer's
    wchar_t buffer_[kCaptionCapacity] = {}; // a caption set at run time
    Color foreColor_ = 0;
    bool visible_ = true;
};

// A straight line in the window-text colour, both end points included: a hairline, 1 pixel wide at
// every DPI.
class Line final : public Control {
public:
    Line(Form& owner, TwipsPoint from, TwipsPoint to) : Control{owner}, from_{from}, to_{to} {}

private:
    void OnLoad(UINT dpi) override { Rescale(dpi); }
    void Rescale(UINT dpi) override;
    void Paint(HDC dc) const override;

    TwipsPoint from_, to_;
    POINT fromPixels_{}, toPixels_{};
};

} // namespace tintavo
