// Layouts and handlers of the program's four windows.
#include "windows/forms.h"

namespace tintavo {

namespace {

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kCyan = 0x00FFFF00;
constexpr FontDesign kDialogFont{L"MS Sans Serif", 8}; // the classic dialog font

const FormDesign kMainDesign{L"ZuziradOdor Digital Tintavo", {250, 129}, POINT{288, 191}, kWhite};
const Label::Design kMainTime{{24, 40, 225, 81}, L"", {L"Times New Roman", 30, FW_BOLD, FF_ROMAN},
                              0x00808080, std::nullopt, DT_CENTER};

const FormDesign kCompactDesign{L"Quorvin Clock", {82, 30}, std::nullopt, SystemColour(COLOR_BTNFACE)};
const Label::Design kCompactTime{{8, 8, 73, 25}, L"", {L"Times New Roman", 9.75, FW_BOLD, FF_ROMAN},
                                 0x00C0C0C0, std::nullopt, DT_CENTER};

} // namespace

MainClockForm& frmMain() {
    static MainClockForm form;
    return form;
}
CompactClockForm& Form3() {
    static CompactClockForm form;
    return form;
}
ClockAboutForm& Form1() {
    static ClockAboutForm form;
    return form;
}
MakerAboutForm& Form2() {
    static MakerAboutForm form;
    return form;
}

// ---- frmMain -------------------------------------------------------------------------------------------

MainClockForm::MainClockForm()
    : ClockForm{kMainDesign,
                kMainTime,
                {{L"File",
                  {{L"Font", [this] { font_Click(); }},
                   {L"Display", [this] { display_Click(); }},
                   {L"Close", [this] { close_Click(); }},
                   {L"Small", [this] { small_Click(); }}}},
                 {L"About", {{L"Tintavo", [this] { clock_Click(); }}, {L"ZuziradOdor", [this] { zuziradodor_Click(); }}}}}} {}

void MainClockForm::font_Click() {
    CommonDialog1.SetFlags(CC_RGBINIT); // open with the current colour selected
    if (CommonDialog1.ShowColor()) lblTime.SetForeColor(CommonDialog1.Color()); // Cancel changes nothing
}

void MainClockForm::display_Click() { lblTime.SetVisible(!lblTime.Visible()); }

void MainClockForm::close_Click() {
    frmMain().Unload(); // also closes both About windows
    Form1().Unload();
}

void MainClockForm::small_Click() {
    Form3().Show(); // first, so that a clock window is always loaded
    frmMain().Unload();
}

void MainClockForm::clock_Click() { Form1().Show(); }

void MainClockForm::zuziradodor_Click() { Form2().Show(); }

void MainClockForm::Form_Unload(int& /*cancel*/) {
    Form1().Unload();
    Form2().Unload();
}

// ---- Form3 ---------------------------------------------------------------------------------------------

CompactClockForm::CompactClockForm() : ClockForm{kCompactDesign, kCompactTime} {}

void CompactClockForm::Form_Unload(int& /*cancel*/) {
    frmMain().Show(); // the compact clock always hands back to the main clock
}

// ---- Form1 ---------------------------------------------------------------------------------------------

ClockAboutForm::ClockAboutForm()
    : Form{{L"About Digital Tintavo", {232, 137}, POINT{356, 388}, kCyan}},
      Frame1{*this, {L"Digital Tintavo", {32, 8, 201, 121}, kCyan, kDialogFont}},
      Label1{*this,
             {{16, 24, 161, 105},
              L"A digital clock that changes colors based on the color spectrum. It cycles a 6 hour period "
              L"starting at the color Red.",
              kDialogFont, SystemColour(COLOR_BTNTEXT), kCyan, DT_LEFT, &Frame1}} {}

// ---- Form2 ---------------------------------------------------------------------------------------------

MakerAboutForm::MakerAboutForm()
    : Form{{L"About ZuziradOdor", {232, 157}, POINT{356, 372}, kCyan}},
      Frame1{*this, {L"ZuziradOdor", {24, 16, 209, 137}, kCyan, kDialogFont}},
      // The maker's address, made up; Label2 writes the name into the gap of 28 blanks.
      Label1{*this,
             {{24, 24, 169, 41}, L"http://                            .test", kDialogFont, SystemColour(COLOR_BTNTEXT),
              kCyan, DT_LEFT, &Frame1}},
      Label2{*this,
             {{55, 19, 144, 44}, L"ZuziradOdor", {L"MS Sans Serif", 12, FW_NORMAL}, SystemColour(COLOR_BTNTEXT),
              std::nullopt, DT_LEFT, &Frame1}},
      Label3{*this,
             {{8, 48, 169, 113},
              L"Need a custom program made? How bout FREE computer or programming help or advice? Contact "
              L"Zuziradodor for FREE computer Solutions",
              kDialogFont, SystemColour(COLOR_BTNTEXT), std::nullopt, DT_LEFT, &Frame1}} {}

} // namespace tintavo
