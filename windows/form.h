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

// Layout units as designed: 1,440 twips to the inch, so 15 to a pixel at 96 DPI. The form layer turns
// them into pixels at each window's own DPI.
struct TwipsPoint {
    int x, y;
};
struct TwipsSize {
    int cx, cy;
};
struct TwipsRect {
    int left, top, width, height;
};
// Twips to pixels at a DPI, rounded half away from zero as MulDiv rounds.
int TwipsToPixels(int twips, UINT dpi);
RECT TwipsToPixels(const TwipsRect& rect, UINT dpi);

struct FontDesign {
    const wchar_t* face;
    double points;
    int weight = FW_NORMAL;
    BYTE family = FF_DONTCARE;
};
// The font at its design size in points, for a window at this DPI.
gdi::Font CreateFontFrom(const FontDesign& font, UINT dpi);

// A STATIC child window that carries a control's text for screen readers and draws nothing itself: the
// form paints every pixel (off screen, in one step), and a STATIC's text is what the system's accessibility
// proxy reads as the name of the object. Without SS_NOTIFY it lets every press through to the form.
class TextWindow {
public:
    void Create(HWND parent, const wchar_t* text); // placed by Move
    void Forget() { window_ = nullptr; }           // its parent destroys it
    HWND Handle() const { return window_; }
    void SetText(const wchar_t* text) const;
    void SetVisible(bool visible) const;
    void Move(const RECT& bounds) const;
    void SendToBack() const;

private:
    HWND window_ = nullptr;
};

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
    virtual void Load() {}    // back to the design values; the form's window exists
    virtual void Rescale() {} // the form's window moved to a monitor of another DPI
    virtual void Unload() {}  // the form's window is about to go
    virtual void Paint(HDC) const {}
    virtual bool TakesPress(POINT) const { return false; }
};

// A group box with an etched border and a caption; the labels placed in it are clipped to it.
class Frame final : public Control {
public:
    struct Design {
        const wchar_t* caption;
        TwipsRect bounds; // in the form's client area
        Colour backColor;
        FontDesign font;
    };
    Frame(Form& owner, const Design& design) : Control{owner}, design_{design} {}
    const TwipsRect& DesignBounds() const { return design_.bounds; }

private:
    void Load() override;
    void Rescale() override;
    void Unload() override;
    void Paint(HDC dc) const override;

    Design design_;
    gdi::Font font_;
    TextWindow text_;
};

// A windowless text label. A visible label keeps presses on it for itself, so they reach no handler.
class Label final : public Control {
public:
    struct Design {
        TwipsRect bounds; // in the container: the frame if there is one, else the form's client area
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
    RECT Bounds() const; // in the form's client area, in pixels
    HFONT Font() const { return font_.get(); }

private:
    void Load() override;
    void Rescale() override;
    void Unload() override;
    void Paint(HDC dc) const override;
    bool TakesPress(POINT point) const override;
    void Invalidate() const;

    Design design_;
    const Frame* container_;
    std::wstring caption_;
    Colour foreColor_ = 0;
    bool visible_ = true;
    gdi::Font font_;
    TextWindow text_;
};

// A straight line in the window-text colour, both end points included: a hairline, 1 pixel wide at
// every DPI.
class Line final : public Control {
public:
    Line(Form& owner, TwipsPoint from, TwipsPoint to) : Control{owner}, from_{from}, to_{to} {}

private:
    void Paint(HDC dc) const override;
    TwipsPoint from_, to_;
};

// A millisecond timer. Enabling a running timer keeps its countdown: Win32's SetTimer would restart it.
// Only a timer the system created counts as running, so a refused one is tried again at the next enable.
class Timer final : public Control {
public:
    // Creates the system timer (SetTimer's signature without the callback); tests put a failing one in.
    using Creator = UINT_PTR (*)(HWND window, UINT_PTR id, UINT intervalMs);
    static void UseCreator(Creator create) { create_ = create ? create : &SystemCreate; }

    Timer(Form& owner, UINT intervalMs, bool enabledAtLoad, std::function<void()> onTick);

    bool Enabled() const { return running_; }
    void SetEnabled(bool enabled);
    // Makes sure the timer ticks: one that is not running, or that has missed two intervals (in case the
    // system dropped it), is created again; one that ticks keeps its countdown.
    void KeepTicking();

private:
    friend class Form;
    void Load() override {
        running_ = false; // whatever was set while unloaded, the window has no timer yet
        SetEnabled(enabledAtLoad_);
    }
    void Unload() override { SetEnabled(false); }
    bool Create();
    static UINT_PTR SystemCreate(HWND window, UINT_PTR id, UINT intervalMs) {
        return SetTimer(window, id, intervalMs, nullptr);
    }

    UINT_PTR id_;
    UINT intervalMs_;
    bool enabledAtLoad_;
    bool running_ = false;
    ULONGLONG lastTick_ = 0; // or the time it was created
    std::function<void()> onTick_;

    static inline Creator create_ = &SystemCreate;
};

// One item of a form's menu bar: a top-level menu with its commands.
struct MenuDesign {
    const wchar_t* caption;
    std::vector<std::pair<const wchar_t*, std::function<void()>>> items;
};

struct FormDesign {
    const wchar_t* caption;
    TwipsSize client;
    std::optional<TwipsPoint> clientOrigin; // screen position of the client area; none: the system's default
    Colour backColor;
};

// One window of the program. The instance lives for the whole program; loading creates its window with
// the controls at their design values, unloading destroys it and loses whatever changed meanwhile.
class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if needed (running Form_Load) and shows it; brings it to the front when it is open.
    void Show();
    // Runs Form_Unload, then destroys the window. Does nothing when not loaded or already unloading.
    void Unload();

    bool IsLoaded() const { return window_ != nullptr; }
    HWND Handle() const { return window_; }
    // The DPI the window is laid out for: its monitor's.
    UINT Dpi() const { return dpi_; }
    Colour BackColor() const { return backColor_; }
    void SetBackColor(Colour colour);

    // Loaded forms of the whole program; when the last one unloads the message loop is told to quit.
    static int LoadedCount() { return loadedCount_; }
    // Unloads every form for good: the program ends. Also what the end of the user's session (log-off,
    // shutdown, an installer closing the program) does.
    static void EndProgram();
    // True while EndProgram unloads the forms.
    static bool ProgramEnding() { return ending_; }
    // True from the start of Unload until the window is gone: the form is still loaded but will not stay.
    bool IsUnloading() const { return unloading_; }

protected:
    explicit Form(FormDesign design, std::vector<MenuDesign> menuBar = {});
    virtual ~Form();

    virtual void Form_Load() {}
    virtual void Form_Unload(int& /*cancel*/) {}
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    virtual void Form_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    // The system clock was set, or the computer woke from sleep.
    virtual void ClockChanged() {}

    // Shows the window now, as a modeless window in its normal state, whatever show command the program
    // was started with.
    void ShowNow();
    // Lets every message already waiting run once, so the window is painted before the handler goes on.
    static void PumpPendingMessagesOnce();

private:
    friend class Control;
    friend class Frame;
    friend class Label;
    friend class Line;
    friend class Timer;

    // Every message of every form; no exception leaves it.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Load();
    HMENU CreateMenuBar() const;
    int Pixels(int twips) const { return TwipsToPixels(twips, dpi_); }
    RECT Pixels(const TwipsRect& rect) const { return TwipsToPixels(rect, dpi_); }
    std::optional<POINT> DesignOrigin() const; // of the client area on the screen, at the window's DPI
    SIZE ClientSize() const { return {Pixels(design_.client.cx), Pixels(design_.client.cy)}; }
    RECT OuterRect(UINT dpi) const;
    void FitClientArea(std::optional<POINT> clientOrigin);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void KeepReachable();
    void Paint();
    void MouseDown(int button, WPARAM keys, LPARAM position);
    void OnTimer(UINT_PTR id);
    void BringToFront();
    LRESULT MenuChar(wchar_t typed, HMENU menu) const; // 0: no item for the letter

    FormDesign design_;
    std::vector<MenuDesign> menuBar_;
    std::vector<Control*> controls_; // back to front
    std::vector<Timer*> timers_;
    HWND window_ = nullptr;
    bool unloading_ = false;
    Colour backColor_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    SIZE minTrackSize_{}; // the outer size last asked for, which may be below the system's minimum

    Form* nextForm_; // every form in existence, for the end of the program

    static inline int loadedCount_ = 0;
    static inline bool ending_ = false;
    static inline Form* firstForm_ = nullptr;
    static constexpr UINT kFirstMenuCommand = 100;
};

} // namespace tintavo
