// The colour dialog host.
#include "windows/common_dialog.h"

namespace tintavo {

void CommonDialog::Load() {
    flags_ = 0;
    color_ = 0;
    customColours_.fill(RGB(255, 255, 255));
}

bool CommonDialog::ShowColor() {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_.Handle();
    dialog.rgbResult = ToRgb(color_);
    dialog.lpCustColors = customColours_.data();
    dialog.Flags = flags_;
    if (!prompt_(dialog)) return false;
    color_ = dialog.rgbResult;
    return true;
}

} // namespace tintavo
