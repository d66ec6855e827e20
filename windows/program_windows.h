// The program's four windows, each one instance reachable by name and created on first reference.
#pragma once

#include "windows/clock_form.h"
#include "windows/form/common_dialog.h"
#include "windows/form/controls.h"
#include "windows/form/menu_bar.h"

#include <array>

namespace tintavo {

// The main clock: the start-up window, with the menu bar.
class MainClockForm final : public ClockForm {
public:
    MainClockForm();
    const CommonDialog& ColorDialog() const { return CommonDialog1; }

private:
    void Form_Unload(int& cancel) override;
    void font_Click();
    void display_Click();
    void close_Click();
    void small_Click();
    void clock_Click();
    void zuziradodor_Click();

    Line Line1{*this, {240, 240}, {3480, 240}};
    Line Line2{*this, {240, 1680}, {240, 240}};
    Line Line3{*this, {3480, 1680}, {240, 1680}};
    Line Line4{*this, {3480, 240}, {3480, 1680}};
    CommonDialog CommonDialog1{*this};

    const std::array<MenuItem, 4> file{{
        {L"Font", Handler::Of<&MainClockForm::font_Click>(this)},
        {L"Display", Handler::Of<&MainClockForm::display_Click>(this)},
        {L"Close", Handler::Of<&MainClockForm::close_Click>(this)},
        {L"Small", Handler::Of<&MainClockForm::small_Click>(this)},
    }};
    const std::array<MenuItem, 2> about{{
        {L"Tintavo", Handler::Of<&MainClockForm::clock_Click>(this)},
        {L"ZuziradOdor", Handler::Of<&MainClockForm::zuziradodor_Click>(this)},
    }};
    const std::array<Menu, 2> menuBar_{{{L"File", file}, {L"About", about}}};
};

// The compact twin of the main clock; closing it brings the main clock back.
class CompactClockForm final : public ClockForm {
public:
    CompactClockForm();

private:
    void Form_Unload(int& cancel) override;

    Line Line2{*this, {0, 1440}, {0, 0}}; // longer than the window: only the visible part shows
};

// About the clock.
class ClockAboutForm final : public Form {
public:
    ClockAboutForm();

private:
    Frame Frame1;
    Label Label1;
};

// About the clock's maker.
class MakerAboutForm final : public Form {
public:
    MakerAboutForm();

private:
    Frame Frame1;
    Label Label1; // back to front: Label2 fills the gap in Label1's text
    Label Label2;
    Label Label3;
};

// The four windows by the design's names.
MainClockForm& frmMain();     // the main clock, the start-up window
CompactClockForm& Form3();    // the compact clock
ClockAboutForm& Form1();      // About > "Tintavo": about the clock
MakerAboutForm& Form2();      // About > "ZuziradOdor": about the clock's maker

} // namespace tintavo
