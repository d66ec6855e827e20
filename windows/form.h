// The form layer: a top-level window with a load/unload lifecycle, and the controls it paints.
#pragma once

#include "clock/color_schedule.h"
#include "windows/gdi.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tintavo {

class Form;

// A system colour value: the top bit set and the index in the low bits.
constexpr Colour SystemColour(int index) { return 0x80000000u | static_cast<Colour>(index); }
// The RGB value of a colour value, looking system colours up.
COLORREF ToRgb(Colour colour);

struct FontDesign {
    const wchar_t* face;
    double points;
    int weight = FW_NORMAL;
    BYTE family = FF_DONTCARE;
};
gdi::Font CreateFontFrom(const FontDesign& font);

// Something a form owns and restores to its design values at every load.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

protected:
    explicit Control(Form& owner);
    virtual ~Control() = default;
    Form& owner_;

private:
    friend class Form;
    virtual void Load() {}   // back to the design values; the form's window exists
    virtual void Unload() {} // the form's window is about to go
    virtual void Paint(HDC) const {}
    virtual bool TakesPress(POINT) const { return false; }
};

// A group box with an etched border and a caption; the labels placed in it are clipped to it.
class Frame final : public Control {
public:
    struct Design {
        const wchar_t* caption;
        RECT bounds; // in the form's client area
        Colour backColor;
        FontDesign font;
    };
    Frame(Form& owner, const Design& design) : Control{owner}, design_{design} {}
    const RECT& Bounds() const { return design_.bounds; }

private:
    void Load() override { font_ = CreateFontFrom(design_.font); }
    void Unload() override { font_.reset(); }
    void Paint(HDC dc) const override;

    Design design_;
    gdi::Font font_;
};

// A windowless text label. A visible label keeps presses on it for itself, so they reach no handler.
class Label final : public Control {
public:
    struct Design {
        RECT bounds; // in the container: the frame if there is one, else the form's client area
        const wchar_t* caption;
        FontDesign font;
        Colour foreColor = SystemColour(COLOR_BTNTEXT);
        std::optional<Colour> backColor = std::nullopt; // none: transparent
        UINT align = DT_LEFT;
    };
    Label(Form& owner, const Design& design, const Frame* container = nullptr)
        : Control{owner}, design_{design}, container_{container} {}

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring_view caption);
    Colour ForeColor() const { return foreColor_; }
    void SetForeColor(Colour colour);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    RECT Bounds() const; // in the form's client area

private:
    void Load() override;
    void Unload() override { font_.reset(); }
    void Paint(HDC dc) const override;
    bool TakesPress(POINT point) const override;
    void Invalidate() const;

    Design design_;
    const Frame* container_;
    std::wstring caption_;
    Colour foreColor_ = 0;
    bool visible_ = true;
    gdi::Font font_;
};

// A straight 1-pixel line in the window-text colour, both end points included.
class Line final : public Control {
public:
    Line(Form& owner, POINT from, POINT to) : Control{owner}, from_{from}, to_{to} {}

private:
    void Paint(HDC dc) const override;
    POINT from_, to_;
};

// A millisecond timer. Enabling a running timer keeps its countdown: Win32's SetTimer would restart it.
class Timer final : public Control {
public:
    Timer(Form& owner, UINT intervalMs, bool enabledAtLoad, std::function<void()> onTick);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

private:
    friend class Form;
    void Load() override {
        enabled_ = false; // whatever was set while unloaded, the window has no timer yet
        SetEnabled(enabledAtLoad_);
    }
    void Unload() override { SetEnabled(false); }

    UINT_PTR id_;
    UINT intervalMs_;
    bool enabledAtLoad_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

// One item of a form's menu bar: a top-level menu with its commands.
struct MenuDesign {
    const wchar_t* caption;
    std::vector<std::pair<const wchar_t*, std::function<void()>>> items;
};

struct FormDesign {
    const wchar_t* caption;
    SIZE client;                       // client area in pixels
    std::optional<POINT> clientOrigin; // screen position of the client area; none: the system's default
    Colour backColor;
};

// One window of the program. The instance lives for the whole program; loading creates its window with
// the controls at their design values, unloading destroys it and loses whatever changed meanwhile.
class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if needed (running Form_Load) and shows it.
    void Show();
    // Runs Form_Unload, then destroys the window. Does nothing when not loaded or already unloading.
    void Unload();

    bool IsLoaded() const { return window_ != nullptr; }
    HWND Handle() const { return window_; }
    Colour BackColor() const { return backColor_; }
    void SetBackColor(Colour colour);

    // Loaded forms of the whole program; when the last one unloads the message loop is told to quit.
    static int LoadedCount() { return loadedCount_; }

protected:
    Form(FormDesign design, std::vector<MenuDesign> menuBar = {});
    virtual ~Form() = default;

    virtual void Form_Load() {}
    virtual void Form_Unload(int& /*cancel*/) {}
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    virtual void Form_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}

    // Shows the window now, as a modeless window.
    void ShowNow();
    // Lets every message already waiting run once, so the window is painted before the handler goes on.
    static void PumpPendingMessagesOnce();

private:
    friend class Control;
    friend class Label;
    friend class Timer;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Load();
    HMENU CreateMenuBar() const;
    RECT OuterRect() const;
    void Paint();
    void MouseDown(int button, WPARAM keys, LPARAM position);
    void OnTimer(UINT_PTR id);

    FormDesign design_;
    std::vector<MenuDesign> menuBar_;
    std::vector<Control*> controls_; // back to front
    std::vector<Timer*> timers_;
    HWND window_ = nullptr;
    bool unloading_ = false;
    Colour backColor_;

    static inline int loadedCount_ = 0;
    static constexpr UINT kFirstMenuCommand = 100;
};

} // namespace tintavo
