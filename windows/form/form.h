// The form layer: a top-level window with a load/unload lifecycle, and the base of the controls it owns.
#pragma once

#include "clock/color.h"
#include "desktop/mouse_button.h"
#include "windows/form/dpi.h"
#include "windows/form/intrusive_list.h"
#include "windows/form/menu_bar.h"

#include <windows.h>

#include <optional>
#include <span>

namespace tintavo {

class Form;
using desktop::MouseButton;

// Something a form owns and restores to its design values at every load. The form that owns it calls the
// members below, in the order the controls were made, which is back to front; the control reaches the
// form's window through owner_.
class Control : public IntrusiveList<Control>::Link {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Back to the design values, laid out at the DPI of the form's new window.
    virtual void OnLoad(UINT /*dpi*/) {}
    // The form's window moved to a monitor of another DPI.
    virtual void Rescale(UINT /*dpi*/) {}
    // The form's window is about to go.
    virtual void OnUnload() {}
    virtual void Paint(HDC) const {}
    virtual bool TakesPress(POINT) const { return false; }
    // Every message of the form's window, before the form handles it. True when the message was the
    // control's own (a tick of its timer, say), with the window procedure's answer in result; false lets
    // the form go on with it.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

protected:
    explicit Control(Form& owner); // the control joins the form's controls
    virtual ~Control() = default;
    Form& owner_;
};

struct FormDesign {
    const wchar_t* caption;
    TwipsSize client;
    std::optional<TwipsPoint> clientOrigin; // screen position of the client area; none: the system's default
    Color backColor;
};

// One window of the program. The instance lives for the whole program; loading creates its window with
// the controls at their design values, unloading destroys it and loses whatever changed meanwhile.
class Form : public IntrusiveList<Form>::Link {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if needed (running Form_Load) and shows it; brings it to the front when it is open.
    void Show();
    // Takes a control of this form, which its constructor hands over; the form calls it from then on.
    void Add(Control& control) { controls_.Append(control); }
    // Runs Form_Unload, then destroys the window. Does nothing when not loaded or already unloading.
    void UnloadWindow();

    bool IsLoaded() const { return window_ != nullptr; }
    // True from the start of UnloadWindow until the window is gone: still loaded, but will not stay.
    bool IsUnloading() const { return unloading_; }
    HWND Handle() const { return window_; }
    // The DPI the window is laid out for: its monitor's.
    UINT Dpi() const { return dpi_; }
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color color);

    // A new timer id of this form's window, for a timer control.
    UINT_PTR NewTimerId() { return ++timerIds_; }

    // Loaded forms of the whole program; when the last one unloads the message loop is told to quit.
    static int LoadedCount() { return loadedCount_; }
    // Unloads every form for good: the program ends. Also what the end of the user's session (log-off,
    // shutdown, an installer closing the program) does.
    static void EndProgram();
    // True while EndProgram unloads the forms.
    static bool ProgramEnding() { return ending_; }

protected:
    explicit Form(const FormDesign& design, std::span<const Menu> menuBar = {});
    // A form destroyed while loaded takes its window with it, without running Form_Unload.
    virtual ~Form();

    virtual void Form_Load() {}
    virtual void Form_Unload(int& /*cancel*/) {}
    // shift: 1 Shift, 2 Ctrl, 4 Alt; x and y in the client area.
    virtual void Form_MouseDown(MouseButton /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}

    // Makes the loaded window visible now, as a modeless window in its normal state, whatever show command
    // the program was started with; unlike Show, it neither loads nor brings the window to the front.
    void MakeVisible();
    // Lets every message already waiting run once, so the window is painted before the handler goes on.
    static void PumpPendingMessagesOnce();

private:
    static constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU; // fixed thin frame, caption and close box only
    static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;      // small caption, no taskbar button

    // Every message of every form; no exception leaves it.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // Cracks each message's parameters and hands them to the handler below.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void LoadWindow();
    void OnPaint();
    void OnMouseDown(MouseButton button, POINT point, WPARAM keys);
    void OnCommand(UINT command);
    void BringToFront();

    // Placement, in form_placement.cpp.
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    SIZE OuterSize(UINT dpi) const;                    // for WM_GETDPISCALEDSIZE
    std::optional<POINT> DesignOrigin(UINT dpi) const; // of the client area on the screen
    RECT DesignWindowRect(UINT dpi) const;             // around the design's client area at (0, 0)
    void MoveWindowTo(const RECT& outer);
    void FitClientArea(std::optional<POINT> clientOrigin);
    void KeepReachable();

    FormDesign design_;
    MenuBar menuBar_;
    IntrusiveList<Control> controls_; // back to front
    HWND window_ = nullptr;
    bool unloading_ = false;
    Color backColor_;
    UINT dpi_ = dpi::kDefault;
    SIZE minTrackSize_{}; // the outer size last asked for, which may be below the system's minimum
    UINT_PTR timerIds_ = 0;

    static constinit inline IntrusiveList<Form> forms_; // every form in existence, for the end of the program
    static constinit inline int loadedCount_ = 0;
    static constinit inline bool ending_ = false;
};

} // namespace tintavo
