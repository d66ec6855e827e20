// Host of the system colour dialog on a form.
#pragma once

#include "windows/form/form.h"

#include <commdlg.h> // the dialog's types only: the library is loaded on first use

#include <array>

namespace tintavo {

class CommonDialog final : public Control {
public:
    // Shows the colour dialog and returns true on OK; tests answer in its place (nullptr: the system's).
    using ColorPrompt = bool (*)(CHOOSECOLORW& dialog);
    static void UsePrompt(ColorPrompt prompt) { prompt_ = prompt ? prompt : &SystemPrompt; }

    explicit CommonDialog(Form& owner) : Control{owner} {}

    void SetFlags(DWORD flags) { flags_ = flags; }
    tintavo::Color Color() const { return color_; }

    // Modal, owned by the form. OK stores the chosen colour in Color; Cancel leaves it as it was.
    bool ShowColor();

private:
    void OnLoad(UINT dpi) override;
    // The system's dialog, its library loaded on first use; false (as Cancel) when it cannot be loaded.
    static bool SystemPrompt(CHOOSECOLORW& dialog);

    DWORD flags_ = 0;
    tintavo::Color color_ = 0;
    std::array<COLORREF, 16> customColors_{}; // kept while the form stays loaded

    static constinit inline ColorPrompt prompt_ = &SystemPrompt;
};

} // namespace tintavo
