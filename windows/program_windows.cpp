// Designs and handlers of the program's four windows.
#include "windows/program_windows.h"

#include "windows/one_clock.h"

namespace tintavo {

namespace {

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kCyan = 0x00FFFF00;
constexpr Color kDialogText = SystemColor(COLOR_BTNTEXT);
constexpr FontDesign kDialogFont{L"MS Sans Serif", 8}; // the classic dialog font

// ---- Designs, in twips and points --------------------------------------------------------------------

constexpr FormDesign kMainDesign{
    .caption = L"ZuziradOdor Digital Tintavo",
    .client = {3750, 1935},
    .clientOrigin = TwipsPoint{4320, 2865},
    .backColor = kWhite,
};
constexpr Label::Design kMainTime{
    .bounds = {360, 600, 3015, 615},
    .caption = L"",
    .font = {L"Times New Roman", 30, FW_BOLD, FF_ROMAN},
    .foreColor = 0x00808080,
    .align = DT_CENTER,
};

constexpr FormDesign kCompactDesign{
    .caption = L"Quorvin Clock",
    .client = {1230, 450},
    .clientOrigin = std::nullopt, // the system's default place
    .backColor = SystemColor(COLOR_BTNFACE),
};
constexpr Label::Design kCompactTime{
    .bounds = {120, 120, 975, 255},
    .caption = L"",
    .font = {L"Times New Roman", 9.75, FW_BOLD, FF_ROMAN},
    .foreColor = 0x00C0C0C0,
    .align = DT_CENTER,
};

constexpr FormDesign kClockAboutDesign{
    .caption = L"About Digital Tintavo",
    .client = {3480, 2055},
    .clientOrigin = TwipsPoint{5340, 5820},
    .backColor = kCyan,
};
constexpr Frame::Design kClockAboutFrame{
    .caption = L"Digital Tintavo",
    .bounds = {480, 120, 2535, 1695},
    .backColor = kCyan,
    .font = kDialogFont,
};
constexpr Label::Design kClockAboutText{
    .bounds = {240, 360, 2175, 1215}, // in the frame
    .caption = L"A digital clock that changes colors based on the color spectrum. It cycles a 6 hour period "
               L"starting at the color Red.",
    .font = kDialogFont,
    .foreColor = kDialogText,
    .backColor = kCyan,
};

constexpr FormDesign kMakerAboutDesign{
    .caption = L"About ZuziradOdor",
    .client = {3480, 2355},
    .clientOrigin = TwipsPoint{5340, 5580},
    .backColor = kCyan,
};
constexpr Frame::Design kMakerAboutFrame{
    .caption = L"ZuziradOdor",
    .bounds = {360, 240, 2775, 1815},
    .backColor = kCyan,
    .font = kDialogFont,
};
// The maker's address, made up: the name label in front fills its gap of 28 blanks.
constexpr Label::Design kMakerAddress{
    .bounds = {360, 360, 2175, 255}, // in the frame, as are the two below
    .caption = L"http://                            .test",
    .font = kDialogFont,
    .foreColor = kDialogText,
    .backColor = kCyan,
};
constexpr Label::Design kMakerName{
    .bounds = {825, 285, 1335, 375},
    .caption = L"ZuziradOdor",
    .font = {L"MS Sans Serif", 12},
    .foreColor = kDialogText,
};
constexpr Label::Design kMakerOffer{
    .bounds = {120, 720, 2415, 975},
    .caption = L"Need a custom program made? How bout FREE computer or programming help or advice? Contact "
               L"Zuziradodor for FREE computer Solutions",
    .font = kDialogFont,
    .foreColor = kDialogText,
};

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

// The menu bar is a member, made after the base: the form reads it when it loads, not before.
MainClockForm::MainClockForm() : ClockForm{kMainDesign, kMainTime, menuBar_} {}

void MainClockForm::font_Click() {
    CommonDialog1.SetFlags(CC_RGBINIT); // open with the current colour selected
    if (CommonDialog1.ShowColor()) lblTime.SetForeColor(CommonDialog1.Color()); // Cancel changes nothing
}

void MainClockForm::display_Click() { lblTime.SetVisible(!lblTime.Visible()); }

void MainClockForm::close_Click() {
    // Every window, also a compact clock that is still loading: a Close taken while a switch to the
    // compact clock lets messages run still ends the program.
    EndProgram();
}

// ---- Switching between the two clocks ----------------------------------------------------------------

namespace {

// The compact clock is loaded and not handing back to the main clock.
bool CompactClockStays() { return Form3().IsLoaded() && !Form3().IsUnloading(); }

// Whether the clock window going leaves the session without a clock, so that the claim is given up and a
// start from now on is the next clock: every window goes when the program ends; else the compact clock
// hands back to the main clock, and the main clock leaves one only in a switch to a compact clock that stays.
bool LeavesNoClock(const ClockForm& going) {
    return Form::ProgramEnding() || (&going == &frmMain() && !CompactClockStays());
}

} // namespace

void MainClockForm::small_Click() {
    Form3().Show(); // first, so that a clock window is always loaded
    // A Small taken while the compact clock hands back to this window finds it unloading: this one stays.
    if (CompactClockStays()) frmMain().UnloadWindow();
}

void MainClockForm::clock_Click() { Form1().Show(); }

void MainClockForm::zuziradodor_Click() { Form2().Show(); }

void MainClockForm::Form_Unload(int& /*cancel*/) {
    if (LeavesNoClock(*this)) one_clock::GiveUp(); // a switch to the compact clock keeps the claim
    Form1().UnloadWindow();
    Form2().UnloadWindow();
}

// ---- Form3 ---------------------------------------------------------------------------------------------

CompactClockForm::CompactClockForm() : ClockForm{kCompactDesign, kCompactTime} {}

void CompactClockForm::Form_Unload(int& /*cancel*/) {
    // The compact clock hands back to the main clock, unless the program is ending and every window goes.
    if (LeavesNoClock(*this))
        one_clock::GiveUp();
    else
        frmMain().Show();
}

// ---- Form1 and Form2 ----------------------------------------------------------------------------------

ClockAboutForm::ClockAboutForm()
    : Form{kClockAboutDesign}, Frame1{*this, kClockAboutFrame}, Label1{*this, kClockAboutText, &Frame1} {}

MakerAboutForm::MakerAboutForm()
    : Form{kMakerAboutDesign}, Frame1{*this, kMakerAboutFrame}, Label1{*this, kMakerAddress, &Frame1},
      Label2{*this, kMakerName, &Frame1}, Label3{*this, kMakerOffer, &Frame1} {}

} // namespace tintavo
