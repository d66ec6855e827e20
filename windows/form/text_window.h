// The text of a control for screen readers: a STATIC child window that carries it and draws nothing.
#pragma once

#include <windows.h>

namespace tintavo {

// The form paints every pixel itself (off screen, in one step), but screen readers read what a window
// holds: the system's accessibility proxy of a STATIC gives its window text as the object's MSAA name. The
// STATIC is subclassed so that it never draws over the form's painting. Without SS_NOTIFY it lets every
// press through to the form.
class TextWindow {
public:
    // In front of the parent's text windows made before it; placed by Move.
    void Create(HWND parent, const wchar_t* text);
    void Forget() { window_ = nullptr; } // its parent destroys it
    void SetText(const wchar_t* text) const;
    void SetVisible(bool visible) const; // a hidden text is not read out either
    void Move(const RECT& bounds) const;

private:
    HWND window_ = nullptr;
};

} // namespace tintavo
