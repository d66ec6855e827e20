"""End-to-end tests of the main window's menu: the colour dialog, hiding the time, the compact clock and
back, the About windows and closing the program, driven with the mouse and keyboard as a person would."""

import re
import subprocess
import time
from dataclasses import dataclass

import pytest

import tintavo_e2e as e2e
from tintavo_e2e import MAIN_TITLE

COMPACT_TITLE = "Quorvin Clock"
ABOUT_CLOCK_TITLE = "About Digital Tintavo"
ABOUT_MAKER_TITLE = "About ZuziradOdor"
COLOUR_TITLE = "Color"

# The main window's client area when it opens, and the time label inside it (left, top, width, height).
MAIN_CLIENT = (288, 191)
MAIN_SIZE = (250, 129)
LABEL = (24, 40, 201, 41)
MENU_BAR_HEIGHT = 19

# Wine draws the frame of these tool windows: 3 px all round, a 16 px caption, then the menu bar if any.
FRAME, CAPTION = 3, 16

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (255, 0, 0)
TEXT_GREY = (128, 128, 128)
SILVER = (192, 192, 192)
BUTTON_FACE = (245, 245, 245)
CYAN = (0, 255, 255)
# Basic swatches of the colour dialog, found on the screen by their exact colour.
SWATCH_BLUE = (0, 0, 255)
SWATCH_GREEN = (0, 128, 0)

FILE_MENU = ("Font", "Display", "Close", "Small")
ABOUT_MENU = ("Tintavo", "ZuziradOdor")

SETTLE_S = 4.0


# ---------------------------------------------------------------------------------------------------
# Reading the screen


def client_origin(window_id, menu=True):
    """Top-left corner of a tool window's client area on the screen, from its outer geometry."""
    outer = e2e.geometry(window_id)
    return outer.x + FRAME, outer.y + FRAME + CAPTION + (MENU_BAR_HEIGHT if menu else 0)


def client_size(window_id, menu=True):
    outer = e2e.geometry(window_id)
    return outer.width - 2 * FRAME, outer.height - 2 * FRAME - CAPTION - (MENU_BAR_HEIGHT if menu else 0)


def label_area(image, origin=MAIN_CLIENT):
    return image.crop(origin[0] + LABEL[0], origin[1] + LABEL[1], LABEL[2], LABEL[3])


def text_in(colour, origin=MAIN_CLIENT):
    """Predicate: the main window's label shows text whose solid strokes have this colour."""
    return lambda image: label_area(image, origin).count(colour) >= 100


def text_hidden(colour, origin=MAIN_CLIENT):
    """Predicate: the label shows nothing but the background colour."""
    return lambda image: label_area(image, origin).count(colour) == LABEL[2] * LABEL[3]


def background(image, origin=MAIN_CLIENT):
    """The main window's background colour, at a spot away from the rectangle and the label."""
    return image.pixel(origin[0] + 3, origin[1] + 3)


def words(columns, gap=6):
    """Groups sorted x positions into runs (first, last) separated by more than gap empty columns."""
    runs = []
    for x in columns:
        if runs and x - runs[-1][1] <= gap:
            runs[-1][1] = x
        else:
            runs.append([x, x])
    return [tuple(r) for r in runs]


def menu_bar_captions(image, origin=MAIN_CLIENT):
    """(first, last) x of each caption written in black on the menu bar, left to right."""
    top = origin[1] - MENU_BAR_HEIGHT
    columns = sorted({x for x in range(origin[0], origin[0] + MAIN_SIZE[0])
                      for y in range(top, origin[1]) if image.pixel(x, y) == BLACK})
    return words(columns)


def text_rows(area):
    """(first, last) y of each line of black text in an image, top to bottom."""
    rows = sorted({y for _, y, c in area.pixels() if c == BLACK})
    return words(rows, gap=2)


@dataclass
class PopupMenu:
    geometry: e2e.Geometry
    rows: list        # (first, last) y on the screen of each item's caption
    image: e2e.Image  # the popup as it looked when found

    def item_point(self, index):
        first, last = self.rows[index]
        return self.geometry.x + self.geometry.width // 2, (first + last) // 2


def open_popup():
    """Geometry of the popup menu on the screen (an unnamed window of the program), or None."""
    result = e2e.run(["xdotool", "search", "--onlyvisible", "--class", "^tintavo\\.exe$"], check=False)
    for window in result.split():
        info = e2e.run(["xwininfo", "-id", window], check=False)
        if "(has no name)" not in info:  # the program's titled windows
            continue
        try:
            outer = e2e.geometry(int(window))
        except RuntimeError:  # gone meanwhile
            continue
        if outer.width > 20 and outer.height > 20:
            return outer
    return None


def find_popup(items):
    """Waits for the popup menu showing this many item captions; gives it."""
    deadline = time.monotonic() + 5
    while True:
        outer = open_popup()
        if outer is not None:
            image = e2e.screenshot()
            inside = image.crop(outer.x + FRAME, outer.y + FRAME, outer.width - 2 * FRAME, outer.height - 2 * FRAME)
            rows = [(outer.y + FRAME + a, outer.y + FRAME + b) for a, b in text_rows(inside)]
            if len(rows) == items:
                return PopupMenu(outer, rows, image.crop(outer.x, outer.y, outer.width, outer.height))
        if time.monotonic() > deadline:
            e2e.screenshot("menu-timeout")
            raise TimeoutError(f"no popup menu with {items} items (last popup {outer}; build/e2e-shots/menu-timeout.png)")
        time.sleep(0.05)


def wait_popup_closed(timeout=5.0):
    deadline = time.monotonic() + timeout
    while open_popup() is not None:
        if time.monotonic() > deadline:
            raise TimeoutError("the popup menu stays open")
        time.sleep(0.05)


def open_menu(index, origin=MAIN_CLIENT):
    """Clicks the index-th caption of the menu bar (0: File, 1: About) and gives the popup that opens."""
    captions = menu_bar_captions(e2e.screenshot(), origin)
    assert len(captions) == 2, f"menu bar captions at {captions}, expected two (File, About)"
    first, last = captions[index]
    click((first + last) // 2, origin[1] - MENU_BAR_HEIGHT // 2)
    return find_popup(len(FILE_MENU) if index == 0 else len(ABOUT_MENU))


def choose(menu, item, origin=MAIN_CLIENT):
    """Chooses a command with the mouse: the caption on the menu bar, then the item in the popup."""
    index, items = (0, FILE_MENU) if menu == "File" else (1, ABOUT_MENU)
    popup = open_menu(index, origin)
    click(*popup.item_point(items.index(item)))
    wait_popup_closed()


def click(x, y):
    """Clicks at (x, y). The harness's click waits for the pointer to move, which never happens when it
    is already there (as after a keyboard step that followed a click on the same menu caption)."""
    where = e2e.run(["xdotool", "getmouselocation"])
    if re.match(rf"x:{x} y:{y} ", where):
        e2e.run(["xdotool", "click", "1"])
    else:
        e2e.click(x, y)


def key(*names):
    e2e.run(["xdotool", "key", "--delay", "40", *names])


def close_box(window_id):
    """Clicks the close box at the right end of a Wine-drawn tool window's caption."""
    outer = e2e.geometry(window_id)
    click(outer.x + outer.width - 12, outer.y + 10)


def visible(title):
    return e2e.find_windows(title)


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            e2e.screenshot("menu-timeout")
            raise TimeoutError(f"{what} within {timeout} s (build/e2e-shots/menu-timeout.png)")
        time.sleep(0.05)


def wait_for_exit(clock, timeout=10.0):
    try:
        return clock.process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        e2e.screenshot("menu-timeout")
        pytest.fail(f"tintavo.exe still runs {timeout} s later; windows: main {visible(MAIN_TITLE)}, "
                    f"About {visible(ABOUT_CLOCK_TITLE)} {visible(ABOUT_MAKER_TITLE)}")


def start_main(clock, hour, minute, second=2, colour=None):
    """Starts the clock and waits until its main window shows the time (on the scheduled colour if given)."""
    clock.start(hour, minute, second)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=30)

    def ready(image):
        return text_in(TEXT_GREY)(image) and (colour is None or background(image) == colour)
    e2e.wait_for_screen(ready, timeout=SETTLE_S, what="the time in grey")
    return window


# ---------------------------------------------------------------------------------------------------
# The colour dialog


def colour_dialog():
    window = e2e.wait_for_window(COLOUR_TITLE, timeout=5)
    outer = e2e.geometry(window)
    # Wait until the swatches are painted.
    e2e.wait_for_screen(lambda im: im.crop(outer.x, outer.y, outer.width, outer.height).count(SWATCH_BLUE) > 0,
                        timeout=5, what="the colour swatches")
    return window, outer


def swatch_centre(image, outer, colour):
    """Centre on the screen of the basic swatch of exactly this colour: a solid block in the dialog."""
    area = image.crop(outer.x, outer.y, outer.width, outer.height)
    box = area.bbox(lambda c: c == colour)
    assert box, f"no swatch of colour {colour} in the colour dialog"
    left, top, right, bottom = box
    size = (right - left + 1) * (bottom - top + 1)
    assert area.count(colour) == size and size >= 150, f"{colour} is not one solid swatch: {box}"
    return outer.x + (left + right) // 2, outer.y + (top + bottom) // 2


def pick_and_close(colour, confirm_key):
    """Clicks the swatch of this colour in the open dialog, then presses Return (OK) or Escape (Cancel)."""
    _, outer = colour_dialog()
    click(*swatch_centre(e2e.screenshot(), outer, colour))
    time.sleep(0.2)
    key(confirm_key)
    e2e.wait_until_gone(COLOUR_TITLE, timeout=5)


# ---------------------------------------------------------------------------------------------------
# The menu itself


def test_menu_bar_items_keyboard_and_no_mnemonics(clock):
    window = start_main(clock, 18, 9, colour=RED)
    image = e2e.screenshot("menu-main")
    captions = menu_bar_captions(image)
    assert len(captions) == 2, f"menu bar captions at {captions}"
    (file_left, file_right), (about_left, _) = captions
    assert file_left - MAIN_CLIENT[0] < 20, f"File starts {file_left - MAIN_CLIENT[0]} px into the menu bar"
    assert about_left > file_right

    # Opened with the mouse: four items, none selected (nothing but black text on white).
    popup = open_menu(0)
    popup.image.save_png(e2e.SHOTS_DIR / "menu-file.png")
    inner = popup.image.crop(FRAME, FRAME, popup.geometry.width - 2 * FRAME, popup.geometry.height - 2 * FRAME)
    assert set(inner.colours()) <= {BLACK, WHITE}, f"an item looks selected: colours {inner.colours()}"
    # The popup hangs below the File caption, under the menu bar.
    assert popup.geometry.y == MAIN_CLIENT[1] and abs(popup.geometry.x - file_left) < 12, popup.geometry

    # No caption carries a mnemonic: none of their letters chooses an item.
    key(*sorted(set("".join(FILE_MENU).lower())))
    time.sleep(0.5)
    assert open_popup() is not None, "a letter closed the File menu"
    assert clock.running() and visible(MAIN_TITLE) and not visible(COLOUR_TITLE) and not visible(COMPACT_TITLE)
    assert text_in(TEXT_GREY)(e2e.screenshot()), "a letter hid the time"

    # Down selects the first item: its row turns to the highlight colour, no other row does.
    key("Down")
    time.sleep(0.3)
    image = e2e.screenshot()
    highlighted = {y for x in range(popup.geometry.x + FRAME, popup.geometry.x + popup.geometry.width - FRAME)
                   for y in range(popup.geometry.y, popup.geometry.y + popup.geometry.height)
                   if len(set(image.pixel(x, y))) > 1}
    first, last = popup.rows[0]
    assert highlighted and min(highlighted) <= first and max(highlighted) >= last, "Down did not select Font"
    assert max(highlighted) < popup.rows[1][0], "more than the first item is selected"

    # Escape twice leaves the menu; the clock runs on unchanged.
    key("Escape", "Escape")
    wait_popup_closed()
    assert clock.running() and not visible(COLOUR_TITLE)

    # About holds its two items, hanging below its own caption.
    popup = open_menu(1)
    popup.image.save_png(e2e.SHOTS_DIR / "menu-about.png")
    assert popup.geometry.y == MAIN_CLIENT[1] and abs(popup.geometry.x - about_left) < 12, popup.geometry
    key(*sorted(set("".join(ABOUT_MENU).lower())))
    time.sleep(0.5)
    assert not visible(ABOUT_CLOCK_TITLE) and not visible(ABOUT_MAKER_TITLE), "a letter opened an About window"
    key("Escape", "Escape")
    wait_popup_closed()
    assert clock.running() and visible(MAIN_TITLE) == [window]
    assert text_in(TEXT_GREY)(e2e.screenshot())


def test_display_hides_the_time_and_shows_it_again_up_to_date(clock):
    # Start late in the minute, so that the minute turns while the time is hidden.
    start_main(clock, 18, 9, second=52, colour=RED)
    choose("File", "Display")
    hidden = e2e.wait_for_screen(text_hidden(RED), timeout=2, what="the label without text")
    hidden.save_png(e2e.SHOTS_DIR / "menu-display-hidden.png")
    local_second = 52 + hidden.taken_at - clock.started_at
    assert local_second < 59, f"start-up too slow: the time was hidden only at 18:09:{local_second:.0f}"
    # It stays hidden while the clock ticks on, past 18:10:00.
    time.sleep(1.5)
    assert text_hidden(RED)(e2e.screenshot()), "the time came back by itself"
    time.sleep(max(0.0, clock.started_at + 9.0 - time.monotonic()))
    choose("File", "Display")
    shown = e2e.wait_for_screen(text_in(TEXT_GREY), timeout=2, what="the time shown again")
    seen = e2e.text_likeness(label_area(shown), TEXT_GREY, "6:10 PM")
    assert seen[0] >= 0.8, f"after showing it again the label does not read 6:10 PM: {seen}"


# ---------------------------------------------------------------------------------------------------
# The colour dialog


def test_colour_dialog_cancel_on_first_use_keeps_the_grey_text(clock):
    window = start_main(clock, 18, 9, colour=RED)
    # Font by keyboard: File with the mouse, Down to the first item, Return.
    open_menu(0)
    key("Down", "Return")
    dialog, outer = colour_dialog()
    image = e2e.screenshot("menu-colour-dialog")
    image.crop(outer.x, outer.y, outer.width, outer.height).save_png(e2e.SHOTS_DIR / "menu-colour-dialog.png")
    owner = e2e.run(["xprop", "-id", str(dialog), "WM_TRANSIENT_FOR"])
    match = re.search(r"window id # (0x[0-9a-f]+)", owner)
    assert match and int(match.group(1), 16) == window, f"the dialog is not owned by the main window: {owner}"
    swatches = {c for c, n in image.crop(outer.x, outer.y, outer.width, outer.height).colours().items()
                if n >= 150 and len(set(c)) > 1}
    assert len(swatches) >= 40, f"only {len(swatches)} coloured swatches"

    # Modal: the main window's menu does not open while the dialog is up.
    captions = menu_bar_captions(e2e.screenshot())
    click((captions[0][0] + captions[0][1]) // 2, MAIN_CLIENT[1] - MENU_BAR_HEIGHT // 2)
    time.sleep(0.5)
    assert open_popup() is None, "the main window's menu opened while the colour dialog was up"
    assert visible(COLOUR_TITLE)

    # A swatch picked, then Cancel: the text keeps its grey.
    pick_and_close(SWATCH_GREEN, "Escape")
    time.sleep(0.5)  # the text would change at once: give it a moment to show
    image = e2e.screenshot()
    assert text_in(TEXT_GREY)(image), f"Cancel changed the text: {label_area(image).colours()}"
    assert label_area(image).count(BLACK) == 0, "Cancel on first use turned the text black"
    assert label_area(image).count(SWATCH_GREEN) == 0, "Cancel applied the picked colour"


def test_colour_dialog_ok_recolours_and_cancel_later_keeps_the_choice(clock):
    start_main(clock, 18, 9, colour=RED)
    choose("File", "Font")
    pick_and_close(SWATCH_BLUE, "Return")
    image = e2e.wait_for_screen(text_in(SWATCH_BLUE), timeout=2, what="the time in blue")
    assert label_area(image).count(TEXT_GREY) == 0
    image.save_png(e2e.SHOTS_DIR / "menu-text-blue.png")

    # The dialog opens with the last choice selected: OK without picking keeps blue.
    choose("File", "Font")
    _, outer = colour_dialog()
    click(outer.x + outer.width // 2, outer.y + 4)  # focus the dialog (its blank top edge)
    key("Return")
    e2e.wait_until_gone(COLOUR_TITLE, timeout=5)
    time.sleep(0.5)
    image = e2e.screenshot()
    assert text_in(SWATCH_BLUE)(image), f"OK without a pick changed the text: {label_area(image).colours()}"

    # Another swatch picked, then Cancel: still blue.
    choose("File", "Font")
    pick_and_close(SWATCH_GREEN, "Escape")
    time.sleep(0.5)
    image = e2e.screenshot()
    assert text_in(SWATCH_BLUE)(image), f"Cancel after OK changed the text: {label_area(image).colours()}"
    assert label_area(image).count(SWATCH_GREEN) == 0 and label_area(image).count(BLACK) == 0


# ---------------------------------------------------------------------------------------------------
# The compact clock


def test_small_and_back_resets_position_colour_and_hidden_text(clock):
    # At hour 0 the background keeps its layout white, so white can be told from a scheduled colour.
    window = start_main(clock, 0, 20)
    choose("File", "Font")
    pick_and_close(SWATCH_BLUE, "Return")
    e2e.wait_for_screen(text_in(SWATCH_BLUE), timeout=2, what="the time in blue")
    choose("File", "Display")
    e2e.wait_for_screen(text_hidden(WHITE), timeout=2, what="the label without text")
    # Move the window by its title bar.
    outer = e2e.geometry(window)
    e2e.drag(outer.x + 60, outer.y + 10, outer.x + 200, outer.y + 130)
    wait_until(lambda: e2e.geometry(window).x != outer.x, 5, "the window did not move")
    moved = client_origin(window)
    assert moved != MAIN_CLIENT

    choose("File", "Small", origin=moved)
    compact = e2e.wait_for_window(COMPACT_TITLE, timeout=5)
    e2e.wait_until_gone(MAIN_TITLE, timeout=5)
    assert client_size(compact, menu=False) == (82, 30)
    origin = client_origin(compact, menu=False)

    def compact_shows_time(image):
        area = image.crop(origin[0], origin[1], 82, 30)
        return area.count(SILVER) >= 20 and area.pixel(40, 2) == BUTTON_FACE
    image = e2e.wait_for_screen(compact_shows_time, timeout=SETTLE_S, what="the compact clock in silver")
    compact_outer = e2e.geometry(compact)
    image.crop(compact_outer.x, compact_outer.y, compact_outer.width, compact_outer.height).save_png(
        e2e.SHOTS_DIR / "menu-compact.png")
    assert clock.running()

    close_box(compact)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=5)
    e2e.wait_until_gone(COMPACT_TITLE, timeout=5)
    assert client_origin(window) == MAIN_CLIENT, f"the main window came back at {client_origin(window)}"
    image = e2e.wait_for_screen(text_in(TEXT_GREY), timeout=SETTLE_S, what="the time in grey again")
    label = label_area(image)
    assert label.count(SWATCH_BLUE) == 0, "the text colour survived the switch"
    assert background(image) == WHITE
    assert clock.running()


def test_small_closes_the_about_windows_and_back_brings_only_the_clock(clock):
    start_main(clock, 18, 9)
    choose("About", "Tintavo")
    choose("About", "ZuziradOdor")
    e2e.wait_for_window(ABOUT_CLOCK_TITLE, timeout=5)
    e2e.wait_for_window(ABOUT_MAKER_TITLE, timeout=5)

    choose("File", "Small")
    compact = e2e.wait_for_window(COMPACT_TITLE, timeout=5)
    for title in (MAIN_TITLE, ABOUT_CLOCK_TITLE, ABOUT_MAKER_TITLE):
        e2e.wait_until_gone(title, timeout=5)
    assert clock.running()

    close_box(compact)
    e2e.wait_for_window(MAIN_TITLE, timeout=5)
    e2e.wait_until_gone(COMPACT_TITLE, timeout=5)
    e2e.wait_for_screen(text_in(TEXT_GREY), timeout=SETTLE_S, what="the time in grey again")
    assert not visible(ABOUT_CLOCK_TITLE) and not visible(ABOUT_MAKER_TITLE), "an About window came back"


# ---------------------------------------------------------------------------------------------------
# The About windows


def check_about_window(title, client, size, frame):
    """One window of this title, its client area at client with this size and cyan all round its edge,
    everything not cyan inside the frame rectangle (left, top, width, height). Gives the window and a
    picture of it, frame and caption included."""
    windows = visible(title)
    assert len(windows) == 1, f"{len(windows)} windows named {title!r}"
    window = windows[0]
    assert (client_origin(window, menu=False), client_size(window, menu=False)) == (client, size)
    x, y = client
    w, h = size
    image = e2e.wait_for_screen(lambda im: im.pixel(x, y) == CYAN and im.pixel(x + w - 1, y + h - 1) == CYAN,
                                timeout=3, what=f"the cyan {title}")
    area = image.crop(x, y, w, h)
    edge = [(i, 0) for i in range(w)] + [(i, h - 1) for i in range(w)] + \
           [(0, j) for j in range(h)] + [(w - 1, j) for j in range(h)]
    assert all(area.pixel(i, j) == CYAN for i, j in edge), f"{title}: the edge of the client area is not all cyan"
    outside = [(x - 1, y + h // 2), (x + w, y + h // 2), (x + w // 2, y - 1), (x + w // 2, y + h)]
    assert not any(image.pixel(i, j) == CYAN for i, j in outside), f"{title}: cyan beyond the client area"
    assert area.count(CYAN) >= 0.75 * w * h
    fx, fy, fw, fh = frame
    drawn = area.bbox(lambda c: c != CYAN)
    assert drawn and fx <= drawn[0] and fy <= drawn[1] and drawn[2] < fx + fw and drawn[3] < fy + fh, \
        f"{title}: something drawn outside the frame {frame}: {drawn}"
    outer = e2e.geometry(window)
    return window, image.crop(outer.x, outer.y, outer.width, outer.height)


def save_readme_picture(left, right):
    """docs/about.png: the two About windows side by side, refreshed only when they look different."""
    gap = 12
    width, height = left.width + gap + right.width, max(left.height, right.height)
    rows = []
    for y in range(height):
        row = bytearray(WHITE * width)
        for image, x0 in ((left, 0), (right, left.width + gap)):
            if y < image.height:
                row[x0 * 3:(x0 + image.width) * 3] = image.data[y * image.width * 3:(y + 1) * image.width * 3]
        rows.append(bytes(row))
    picture = e2e.Image(width, height, b"".join(rows))
    target = e2e.REPO / "docs" / "about.png"
    if target.is_file():
        try:
            if picture.differing_fraction(e2e.Image.load(target)) < 0.01:
                return
        except Exception:  # an unreadable old picture is simply replaced
            pass
    picture.save_png(target)


def test_about_windows_open_once_each_and_close_alone(clock):
    window = start_main(clock, 18, 9, colour=RED)

    choose("About", "Tintavo")
    e2e.wait_for_window(ABOUT_CLOCK_TITLE, timeout=5)
    choose("About", "Tintavo")
    time.sleep(0.5)
    clock_about, clock_picture = check_about_window(ABOUT_CLOCK_TITLE, (356, 388), (232, 137), (32, 8, 169, 113))
    clock_picture.save_png(e2e.SHOTS_DIR / "menu-about-clock.png")

    choose("About", "ZuziradOdor")
    e2e.wait_for_window(ABOUT_MAKER_TITLE, timeout=5)
    choose("About", "ZuziradOdor")
    time.sleep(0.5)
    maker_about, maker_picture = check_about_window(ABOUT_MAKER_TITLE, (356, 372), (232, 157), (24, 16, 185, 121))
    maker_picture.save_png(e2e.SHOTS_DIR / "menu-about-maker.png")
    assert len(visible(ABOUT_CLOCK_TITLE)) == 1

    # Choosing Tintavo again while the maker's window is in front still opens no second window.
    choose("About", "Tintavo")
    time.sleep(0.5)
    assert len(visible(ABOUT_CLOCK_TITLE)) == 1 and len(visible(ABOUT_MAKER_TITLE)) == 1

    # Closing an About window closes only that one; the clock runs on.
    close_box(maker_about)
    e2e.wait_until_gone(ABOUT_MAKER_TITLE, timeout=5)
    assert visible(ABOUT_CLOCK_TITLE) and visible(MAIN_TITLE)
    close_box(clock_about)
    e2e.wait_until_gone(ABOUT_CLOCK_TITLE, timeout=5)
    time.sleep(0.5)
    assert clock.running() and visible(MAIN_TITLE) == [window]
    image = e2e.screenshot()
    assert text_in(TEXT_GREY)(image) and background(image) == RED
    save_readme_picture(clock_picture, maker_picture)


# ---------------------------------------------------------------------------------------------------
# Ending the program


def test_close_with_both_about_windows_open_ends_the_program(clock):
    start_main(clock, 18, 9)
    choose("About", "Tintavo")
    choose("About", "ZuziradOdor")
    e2e.wait_for_window(ABOUT_CLOCK_TITLE, timeout=5)
    e2e.wait_for_window(ABOUT_MAKER_TITLE, timeout=5)
    choose("File", "Close")
    assert wait_for_exit(clock) == 0
    for title in (MAIN_TITLE, ABOUT_CLOCK_TITLE, ABOUT_MAKER_TITLE, COMPACT_TITLE):
        assert not e2e.find_windows(title, visible_only=False), f"{title!r} left behind"


def test_close_box_of_the_main_window_ends_the_program(clock):
    window = start_main(clock, 18, 9)
    choose("About", "Tintavo")
    e2e.wait_for_window(ABOUT_CLOCK_TITLE, timeout=5)
    close_box(window)
    assert wait_for_exit(clock) == 0
    for title in (MAIN_TITLE, ABOUT_CLOCK_TITLE):
        assert not e2e.find_windows(title, visible_only=False), f"{title!r} left behind"
