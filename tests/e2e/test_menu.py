"""End-to-end tests of the main window's menu as a person drives it with the mouse and keyboard, and of what
only the screen shows: the menus drawn, the system's colour dialog and the colour it gives the time, the
About windows drawn. What each command does to the windows is the Windows tests' (ProgramWindowsTest)."""

import os
import re
import shutil
import time
from pathlib import Path

from PIL import Image

import tintavo_e2e as e2e
from tintavo_e2e import (BLACK, COLOR_TITLE, COMPACT_TITLE, FRAME, LABEL, MAIN_CLIENT, MAIN_TITLE, MENU_BAR_HEIGHT,
                         RED, SCREEN_LABEL, SWATCH_BLUE, TEXT_GREY, WHITE)

ABOUT_CLOCK_TITLE = "About Digital Tintavo"
ABOUT_MAKER_TITLE = "About ZuziradOdor"

CYAN = (0, 255, 255)
# Libraries planted beside a copy of the exe: the form layer's tests' probe under other names.
PLANTED = ("comdlg32", "uxtheme")
PROBE_DLL = e2e.REPO / "build" / "win" / "tests" / "win32" / "form" / "tintavo_probe.dll"


def label_blank(image, color):
    """The main window's label shows nothing but this background colour."""
    return e2e.count(e2e.within(image, SCREEN_LABEL), color) == LABEL.width * LABEL.height


def popup_opened():
    """Waits for a popup menu to open (from the keyboard its first item is selected, in white on blue)."""
    assert e2e.poll(e2e.open_popup, lambda outer: outer is not None, timeout=5), "no menu opened"


# ---------------------------------------------------------------------------------------------------
# The menu itself


def test_menu_bar_with_the_mouse_and_the_keyboard(clock):
    window = clock.start_main(18, 9, color=RED)
    image = e2e.screenshot("menu-main")
    captions = e2e.menu_bar_captions(image)
    assert len(captions) == 2, f"menu bar captions at {captions}"
    (file_left, file_right), (about_left, _) = captions
    assert file_left - MAIN_CLIENT.x < 20, f"File starts {file_left - MAIN_CLIENT.x} px into the menu bar"
    assert about_left > file_right

    # Opened with the mouse (below its caption, as open_menu checks): four items, none selected (nothing
    # but black text on white), and none underlined for a mnemonic.
    popup = e2e.open_menu(0)
    popup.image.save(e2e.SHOTS_DIR / "menu-file.png")
    outer = popup.geometry
    inner = popup.image.crop((FRAME, FRAME, outer.width - FRAME, outer.height - FRAME))
    assert set(e2e.colors(inner)) <= {BLACK, WHITE}, f"an item looks selected: colours {e2e.colors(inner)}"

    # Down selects the first item: its rows turn to the highlight colour (a colour, where the menu is black
    # and white), no other row does.
    def highlighted_rows(image):
        inside = image.crop((outer.x + FRAME, outer.y, outer.x + outer.width - FRAME, outer.y + outer.height))
        return [(outer.y + a, outer.y + b) for a, b in e2e.spans(inside.convert("HSV").getchannel("S"), columns=False)]
    e2e.press("Down")
    highlighted = highlighted_rows(e2e.wait_for_screen(highlighted_rows, timeout=3, what="a selected item"))
    first, last = popup.rows[0]
    assert len(highlighted) == 1, f"rows {highlighted} selected"
    assert highlighted[0][0] <= first and highlighted[0][1] >= last, "Down did not select Font"
    assert highlighted[0][1] < popup.rows[1][0], "more than the first item is selected"
    e2e.press("Escape", "Escape")
    e2e.wait_popup_closed()

    # From the keyboard alone: Alt and a menu's first letter open it, an item's first letter chooses it.
    e2e.run(["xdotool", "windowactivate", "--sync", str(window)])
    e2e.press("alt+f")
    popup_opened()
    e2e.press("d")
    e2e.wait_for_screen(lambda im: label_blank(im, RED), timeout=2, what="the time hidden by Alt+F, D")
    e2e.press("alt+f", "d")
    e2e.wait_for_screen(e2e.shows_text, timeout=2, what="the time shown again by Alt+F, D")
    for letter, title in (("t", ABOUT_CLOCK_TITLE), ("z", ABOUT_MAKER_TITLE)):
        e2e.run(["xdotool", "windowactivate", "--sync", str(window)])
        e2e.press("alt+a")
        popup_opened()
        e2e.press(letter)
        e2e.wait_for_window(title, timeout=5)
    assert clock.running() and e2e.find_windows(MAIN_TITLE) == [window]

    # F10 and the arrows still work: into the menu bar, open File, up to its last item, Small.
    e2e.run(["xdotool", "windowactivate", "--sync", str(window)])
    e2e.press("F10", "Down")
    popup_opened()
    e2e.press("Up", "Return")
    e2e.wait_for_window(COMPACT_TITLE, timeout=5)
    e2e.wait_until_gone(MAIN_TITLE, timeout=5)
    assert clock.running()


# ---------------------------------------------------------------------------------------------------
# The colour dialog


def libraries_loaded_by_the_program(clock):
    """Lower-cased paths of the libraries tintavo.exe itself loaded so far (Wine's loaddll trace), the exe
    first."""
    out = clock.output()
    exe = re.search(r'^([0-9a-f]+):\S*loaddll\S* Loaded L"[^"]*tintavo\.exe"', out, re.M)
    assert exe, "no loaddll trace of tintavo.exe"
    found = re.findall(rf'^{exe.group(1)}:\S*loaddll\S* Loaded L"([^"]*)"', out, re.M)
    return [p.replace("\\\\", "\\").lower() for p in found]  # the trace doubles each backslash


def test_color_dialog_loads_on_first_use_from_the_system_folder_and_is_modal(clock, monkeypatch, tmp_path):
    # A copy of the exe with libraries planted beside it, named as the colour dialog's and as the theme
    # library, which Wine loads into the program by name as its first window is made; preferred to Wine's
    # own (n,b), as Windows takes whatever file its search finds. The program limits the search to the
    # system folder before anything loads, so neither is ever loaded.
    clock.exe = Path(shutil.copy(clock.exe, tmp_path))
    for name in PLANTED:
        shutil.copy(PROBE_DLL, tmp_path / f"{name}.dll")
    monkeypatch.setenv("WINEDLLOVERRIDES", f"{os.environ['WINEDLLOVERRIDES']};{','.join(PLANTED)}=n,b")
    monkeypatch.setenv("WINEDEBUG", "+loaddll")
    window = clock.start_main(18, 9, color=RED)
    # The dialog's libraries are not loaded until it is first shown (they cost several MB resident).
    at_start = libraries_loaded_by_the_program(clock)
    assert not [p for p in at_start if re.search(r"comdlg32|comctl32|shell32", p)], at_start
    # Font by keyboard: File with the mouse, Down to the first item, Return.
    e2e.open_menu(0)
    e2e.press("Down", "Return")
    dialog, outer = e2e.color_dialog()
    picture = e2e.within(e2e.screenshot(), outer)
    picture.save(e2e.SHOTS_DIR / "menu-colour-dialog.png")
    # From the system directory, with Common Controls 6 (visual styles) through the dialog's manifest.
    loaded = libraries_loaded_by_the_program(clock)
    beside = [p for p in loaded[1:] if p.startswith(loaded[0].rsplit("\\", 1)[0] + "\\")]
    assert beside == [], f"loaded from beside the exe: {beside}"
    assert r"c:\windows\system32\comdlg32.dll" in loaded, loaded
    comctl = [p for p in loaded if p.endswith("\\comctl32.dll")]
    assert comctl and all(re.search(r"\\winsxs\\[^\\]*common-controls[^\\]*_6\.0\.", p) for p in comctl), loaded
    owner = e2e.window_in_property("WM_TRANSIENT_FOR", dialog)
    assert owner == window, f"the dialog is owned by {owner}, not by the main window {window}"
    swatches = {c for c, n in e2e.colors(picture).items() if n >= 150 and len(set(c)) > 1}
    assert len(swatches) >= 40, f"only {len(swatches)} coloured swatches"

    # Modal: the main window's menu does not open while the dialog is up.
    captions = e2e.menu_bar_captions(e2e.screenshot())
    e2e.click((captions[0][0] + captions[0][1]) // 2, MAIN_CLIENT.y - MENU_BAR_HEIGHT // 2)
    time.sleep(0.5)
    assert e2e.open_popup() is None, "the main window's menu opened while the colour dialog was up"
    assert e2e.find_windows(COLOR_TITLE)


def test_color_dialog_ok_recolors_the_time_on_screen(clock):
    clock.start_main(18, 9, color=RED)
    e2e.choose("File", "Font")
    e2e.pick_color(SWATCH_BLUE, "Return")
    image = e2e.wait_for_screen(lambda im: e2e.shows_text(im, SWATCH_BLUE), timeout=2, what="the time in blue")
    assert e2e.count(e2e.within(image, SCREEN_LABEL), TEXT_GREY) == 0
    image.save(e2e.SHOTS_DIR / "menu-text-blue.png")


# ---------------------------------------------------------------------------------------------------
# The About windows


def check_about_window(title, frame):
    """The window of this title drawn cyan to the edge of its client area and no further, everything not
    cyan inside the frame rectangle (left, top, width, height). Gives a picture of it, frame and caption
    included. Its place and size are the Windows tests' (ProgramWindowsTest)."""
    window = e2e.wait_for_window(title, timeout=5)
    x, y = e2e.client_origin(window, menu=False)
    w, h = e2e.client_size(window, menu=False)
    image = e2e.wait_for_screen(lambda im: im.getpixel((x, y)) == im.getpixel((x + w - 1, y + h - 1)) == CYAN,
                                timeout=3, what=f"the cyan {title}")
    area = image.crop((x, y, x + w, y + h))
    edge = area.copy()
    edge.paste(CYAN, (1, 1, w - 1, h - 1))
    assert e2e.colors(edge) == {CYAN: w * h}, f"{title}: the edge of the client area is not all cyan"
    outside = [(x - 1, y + h // 2), (x + w, y + h // 2), (x + w // 2, y - 1), (x + w // 2, y + h)]
    assert CYAN not in {image.getpixel(p) for p in outside}, f"{title}: cyan beyond the client area"
    assert e2e.count(area, CYAN) >= 0.75 * w * h
    fx, fy, fw, fh = frame
    drawn = e2e.difference(area, CYAN).getbbox()
    assert drawn and fx <= drawn[0] and fy <= drawn[1] and drawn[2] <= fx + fw and drawn[3] <= fy + fh, \
        f"{title}: something drawn outside the frame {frame}: {drawn}"
    return e2e.within(image, e2e.geometry(window))


def save_readme_picture(left, right):
    """docs/about.png: the two About windows side by side, refreshed only when they look different."""
    gap = 12
    both = Image.new("RGB", (left.width + gap + right.width, max(left.height, right.height)), WHITE)
    both.paste(left, (0, 0))
    both.paste(right, (left.width + gap, 0))
    e2e.refresh_picture(both, e2e.REPO / "docs" / "about.png")


def choose_and_check(item, title, frame, shot):
    """Chooses an About item, then checks the window it opened; gives its picture."""
    e2e.choose("About", item)
    picture = check_about_window(title, frame)
    picture.save(e2e.SHOTS_DIR / shot)
    return picture


def test_about_windows_are_drawn_cyan_with_their_texts_inside_the_frame(clock):
    # Opening each once, and closing them, are the Windows tests' (ProgramWindowsTest).
    clock.start_main(18, 9, color=RED)
    clock_picture = choose_and_check("Tintavo", ABOUT_CLOCK_TITLE, (32, 8, 169, 113), "menu-about-clock.png")
    maker_picture = choose_and_check("ZuziradOdor", ABOUT_MAKER_TITLE, (24, 16, 185, 121), "menu-about-maker.png")
    save_readme_picture(clock_picture, maker_picture)
