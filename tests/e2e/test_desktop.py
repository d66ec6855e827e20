"""End-to-end tests of the clock's desktop behaviour: staying above other windows, dragging by the client
area, and see-through key-colour pixels that let clicks pass to the window beneath."""

import re
import subprocess
import time

import pytest

import tintavo_e2e as e2e
from tintavo_e2e import MAIN_TITLE

COMPACT_TITLE = "Quorvin Clock"

# The main window's client area on the screen when it opens, and its time label inside the client area.
CLIENT_X, CLIENT_Y, CLIENT_W, CLIENT_H = 288, 191, 250, 129
LABEL = (24, 40, 201, 41)  # left, top, width, height
COMPACT_CLIENT = (82, 30)
COMPACT_LABEL = (8, 8, 65, 17)

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
TEXT_GREY = (128, 128, 128)
KEY = (255, 0, 255)

# The File menu's items, top to bottom.
FILE_ITEMS = ("Font", "Display", "Close", "Small")


# ---------------------------------------------------------------------------------------------------
# Other X clients on the screen


@pytest.fixture
def x_clients():
    """Starts X programs for a test (xlogo, xev) and ends them, by process, afterwards."""
    started = []

    def start(args, title=None, stdout=subprocess.DEVNULL):
        """Starts args; with a title, waits for its window and gives the window's id."""
        process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.DEVNULL)
        started.append(process)
        return e2e.wait_for_window(title, timeout=10) if title else None

    yield start
    for process in started:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def button_presses(log_path):
    """(x, y, button) on the root window of every ButtonPress that xev has reported so far."""
    text = log_path.read_bytes().decode(errors="replace")
    return [(int(x), int(y), int(button)) for x, y, button in
            re.findall(r"ButtonPress event.*?root:\((-?\d+),(-?\d+)\).*?button (\d+)", text, re.DOTALL)]


def active_window():
    out = e2e.run(["xprop", "-root", "_NET_ACTIVE_WINDOW"])
    match = re.search(r"window id # (0x[0-9a-f]+)", out)
    return int(match.group(1), 16) if match else None


# ---------------------------------------------------------------------------------------------------
# The clock's windows


def main_client_origin(window):
    """Screen position of the main window's client area: below a 3-pixel frame, the 16-pixel caption and
    the 19-pixel menu bar."""
    outer = e2e.geometry(window)
    return outer.x + 3, outer.y + 38


def compact_client_origin(window):
    """Screen position of the compact window's client area, inside equal frames left, right and below."""
    outer = e2e.geometry(window)
    frame = (outer.width - COMPACT_CLIENT[0]) // 2
    return outer.x + frame, outer.y + outer.height - frame - COMPACT_CLIENT[1]


def painted_at(x, y):
    """The main window's black rectangle (client corners (16, 16) to (232, 112)) shows at client origin (x, y)."""
    def check(image):
        return all(image.pixel(x + cx, y + cy) == BLACK for cx, cy in ((16, 16), (232, 16), (16, 112), (232, 112)))
    return check


def start_main_window(clock, hour=18, minute=9):
    clock.start(hour, minute)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=30)
    e2e.wait_for_screen(painted_at(CLIENT_X, CLIENT_Y), timeout=5, what="the clock's rectangle")
    return window


def wait_for_new_window(known, timeout=5.0):
    """The id of a visible window of the clock's process that is not in known (a menu popup)."""
    deadline = time.monotonic() + timeout
    while True:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "tintavo.exe"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=10).stdout
        new = [int(w) for w in out.split() if int(w) not in known]
        if new:
            return new[0]
        if time.monotonic() > deadline:
            raise TimeoutError("the menu did not open")
        time.sleep(0.05)


def choose_file_item(window, caption):
    """Opens the main window's File menu with the mouse and clicks the item with this caption."""
    x, y = main_client_origin(window)
    before = set(int(w) for w in subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--class", "tintavo.exe"], stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL, text=True, timeout=10).stdout.split())
    e2e.click(x + 14, y - 10)  # "File", at the left end of the menu bar
    popup = e2e.geometry(wait_for_new_window(before))
    assert abs(popup.x - x) <= 4 and abs(popup.y - y) <= 4, f"the File menu opened at {popup}, not below File"
    index = FILE_ITEMS.index(caption)
    # The items share the popup's height evenly; click the middle of the row.
    e2e.click(popup.x + popup.width // 2, popup.y + popup.height * (2 * index + 1) // (2 * len(FILE_ITEMS)))


def wait_for_state(window, atoms=("_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"), timeout=3.0):
    """Polls _NET_WM_STATE until it holds all of atoms; gives the last state either way."""
    deadline = time.monotonic() + timeout
    while True:
        state = e2e.wm_state(window)
        if set(atoms) <= state or time.monotonic() > deadline:
            return state
        time.sleep(0.05)


def wait_for_geometry(window, expected, timeout=3.0):
    """Polls the window's position until it is expected ((x, y)); gives the last geometry either way."""
    deadline = time.monotonic() + timeout
    while True:
        now = e2e.geometry(window)
        if (now.x, now.y) == expected or time.monotonic() > deadline:
            return now
        time.sleep(0.05)


# ---------------------------------------------------------------------------------------------------
# Staying above


def test_stays_above_a_raised_active_window_and_has_no_taskbar_entry(clock, x_clients):
    window = start_main_window(clock)
    outer = e2e.geometry(window)

    # A window larger than the clock, placed over it, raised and made the active window.
    logo = x_clients(["xlogo", "-title", "tintavo-cover", "-bg", "green", "-geometry", "460x340+180+80"],
                     "tintavo-cover")
    e2e.run(["xdotool", "windowactivate", "--sync", str(logo), "windowraise", str(logo)])
    cover = e2e.geometry(logo)
    assert cover.contains(outer.x, outer.y, outer.width, outer.height), \
        f"the other window {cover} does not reach over the clock {outer}"
    assert active_window() == logo, "the other window did not become the active window"
    # It is drawn: its green shows left of the clock.
    e2e.wait_for_screen(lambda im: im.pixel(outer.x - 20, outer.y + 40) == GREEN, timeout=5,
                        what="the raised window")

    # The clock stays on top of it, also a moment later.
    for n in range(3):
        shot = e2e.screenshot(f"desktop-above-{n}")
        on_clock = shot.crop(outer.x, outer.y, outer.width, outer.height)
        assert on_clock.count(GREEN) == 0, f"the raised window shows through the clock (shot {n})"
        assert painted_at(CLIENT_X, CLIENT_Y)(shot), f"the clock's rectangle is not on top (shot {n})"
        time.sleep(0.2)
    assert active_window() == logo

    state = wait_for_state(window)
    assert "_NET_WM_STATE_ABOVE" in state, f"not marked to stay above others: {state}"
    assert "_NET_WM_STATE_SKIP_TASKBAR" in state, f"has a taskbar entry: {state}"


# ---------------------------------------------------------------------------------------------------
# Dragging


def test_left_drag_outside_label_moves_window_other_drags_do_not(clock):
    window = start_main_window(clock)
    start = e2e.geometry(window)

    # Presses that must leave the window where it is: client coordinates of the press, button.
    still = [
        ((8, 64), 3, "right drag outside the label"),
        ((8, 64), 2, "middle drag outside the label"),
        ((24, 40), 1, "left drag from the label's top left pixel"),
        ((224, 80), 1, "left drag from the label's bottom right pixel"),
        ((124, 60), 1, "left drag from the middle of the label"),
    ]
    for (cx, cy), button, what in still:
        e2e.drag(CLIENT_X + cx, CLIENT_Y + cy, CLIENT_X + cx + 90, CLIENT_Y + cy + 60, button=button, steps=5)
        now = e2e.geometry(window)
        assert (now.x, now.y) == (start.x, start.y), f"{what} moved the window from {start} to {now}"
    # A move that showed only after its check above would still spoil the exact travel checked below.

    # A left drag from the client area outside the label, also right next to it, carries the window along
    # by the pointer's travel.
    moves = [((23, 60), (100, 60)), ((225, 60), (-130, 45)), ((124, 39), (60, -80)), ((124, 81), (-30, -25))]
    x, y = start.x, start.y
    for (cx, cy), (dx, dy) in moves:
        origin_x, origin_y = x + 3, y + 38
        e2e.drag(origin_x + cx, origin_y + cy, origin_x + cx + dx, origin_y + cy + dy, steps=5)
        now = wait_for_geometry(window, (x + dx, y + dy))
        assert (now.x - x, now.y - y) == (dx, dy), \
            f"a left drag by {(dx, dy)} from client {(cx, cy)} moved the window by {(now.x - x, now.y - y)}"
        assert (now.width, now.height) == (start.width, start.height)
        x, y = now.x, now.y
    # The client area, rectangle and all, is drawn at the new place.
    shot = e2e.wait_for_screen(painted_at(x + 3, y + 38), timeout=3, what="the moved clock")
    shot.save_png(e2e.SHOTS_DIR / "desktop-dragged.png")


def test_compact_window_is_above_and_drags_like_the_main_window(clock):
    main = start_main_window(clock)
    choose_file_item(main, "Small")
    window = e2e.wait_for_window(COMPACT_TITLE, timeout=10)
    state = wait_for_state(window)
    assert "_NET_WM_STATE_ABOVE" in state and "_NET_WM_STATE_SKIP_TASKBAR" in state, \
        f"compact window state: {state}"

    start = e2e.geometry(window)
    x, y = compact_client_origin(window)
    lx, ly, lw, lh = COMPACT_LABEL
    e2e.drag(x + lx + lw // 2, y + ly + lh // 2, x + lx + lw // 2 + 70, y + ly + lh // 2 + 50)
    e2e.drag(x + 78, y + 15, x + 78 + 70, y + 15 + 50, button=3)
    now = e2e.geometry(window)
    assert (now.x, now.y) == (start.x, start.y), f"a drag from the label or with the right button moved it to {now}"

    e2e.drag(x + 78, y + 15, x + 78 + 70, y + 15 + 50)
    now = wait_for_geometry(window, (start.x + 70, start.y + 50))
    assert (now.x - start.x, now.y - start.y) == (70, 50), f"a left drag by (70, 50) moved it to {now} from {start}"
    e2e.screenshot("desktop-compact-dragged")

    # Its close box brings back a new main window, which is placed above others again.
    e2e.click(now.x + now.width - 11, now.y + 11)
    e2e.wait_until_gone(COMPACT_TITLE, timeout=5)
    again = e2e.wait_for_window(MAIN_TITLE, timeout=10)
    state = wait_for_state(again)
    assert "_NET_WM_STATE_ABOVE" in state and "_NET_WM_STATE_SKIP_TASKBAR" in state, \
        f"main window state after coming back: {state}"


# ---------------------------------------------------------------------------------------------------
# The key colour


def deep_inside(points, x, y, reach):
    return all((x + dx, y + dy) in points for dx in range(-reach, reach + 1) for dy in range(-reach, reach + 1))


def test_key_coloured_text_shows_and_passes_clicks_to_the_window_beneath(clock, x_clients, tmp_path):
    # A window that will lie under the clock's label, and xev reporting the button presses it gets.
    probe = x_clients(["xlogo", "-title", "tintavo-under", "-bg", "green", "-geometry", "420x220+240+170"],
                      "tintavo-under")
    under = e2e.geometry(probe)
    label_x, label_y = CLIENT_X + LABEL[0], CLIENT_Y + LABEL[1]
    assert under.contains(label_x, label_y, LABEL[2], LABEL[3]), f"the probe window {under} is not under the label"
    log = tmp_path / "xev.log"
    with open(log, "wb") as out:
        x_clients(["xev", "-id", str(probe), "-event", "button"], stdout=out)
    # The probe reports a click on it (away from where the clock will be), and this is what it shows.
    control = (under.x + under.width - 20, under.y + under.height - 20)
    deadline = time.monotonic() + 5
    while not button_presses(log):
        assert time.monotonic() < deadline, "xev reports no clicks on the probe window"
        e2e.click(*control)
        time.sleep(0.1)
    assert button_presses(log)[0] == control + (1,)
    below = e2e.wait_for_screen(lambda im: im.pixel(label_x + 10, label_y + 10) == GREEN, timeout=5,
                                what="the probe window")
    below.save_png(e2e.SHOTS_DIR / "desktop-key-beneath.png")
    reported = len(button_presses(log))

    window = start_main_window(clock)
    # The solid strokes of the time in its layout grey, and what lies beneath them.
    shown = e2e.wait_for_screen(lambda im: im.crop(label_x, label_y, LABEL[2], LABEL[3]).count(TEXT_GREY) >= 100,
                                timeout=5, what="the time in grey")
    shown.save_png(e2e.SHOTS_DIR / "desktop-key-before.png")
    label = shown.crop(label_x, label_y, LABEL[2], LABEL[3])
    strokes = {(label_x + x, label_y + y) for x, y in e2e.colour_mask(label, TEXT_GREY)}
    beneath = {below.pixel(x, y) for x, y in strokes}
    assert not beneath & {TEXT_GREY, KEY, WHITE, RED}, f"the probe window shows {beneath} under the text"

    # File > Font, the (255, 0, 255) swatch, OK.
    choose_file_item(window, "Font")
    dialog = e2e.wait_for_window("Color", timeout=10)
    box = e2e.geometry(dialog)
    picture = e2e.wait_for_screen(lambda im: im.crop(box.x, box.y, box.width, box.height).count(KEY) >= 100,
                                  timeout=5, what="the colour dialog's (255, 0, 255) swatch")
    picture.save_png(e2e.SHOTS_DIR / "desktop-colour-dialog.png")
    left, top, right, bottom = picture.crop(box.x, box.y, box.width, box.height).bbox(lambda c: c == KEY)
    assert right - left < 30 and bottom - top < 20, "more than one patch of (255, 0, 255) in the dialog"
    e2e.click(box.x + (left + right) // 2, box.y + (top + bottom) // 2)
    e2e.run(["xdotool", "key", "--clearmodifiers", "Return"])  # OK is the default button
    e2e.wait_until_gone("Color", timeout=5)

    # Where the text was solid, the window beneath now shows; the background stays the clock's.
    def see_through(image):
        return all(image.pixel(x, y) == below.pixel(x, y) for x, y in strokes)
    after = e2e.wait_for_screen(see_through, timeout=3, what="the window beneath through the text")
    after.save_png(e2e.SHOTS_DIR / "desktop-key-after.png")
    outer = e2e.geometry(window)
    assert after.crop(outer.x, outer.y, outer.width, outer.height).count(KEY) == 0, "key-colour pixels are drawn"
    assert after.pixel(CLIENT_X + 8, CLIENT_Y + 64) in (WHITE, RED), "the clock's background is not its own"
    assert painted_at(CLIENT_X, CLIENT_Y)(after)

    # Clicks on the clock's own background (inside the label, and a right click outside it), then one on
    # a solid stroke: only the last reaches the window beneath.
    client_bg = after.pixel(CLIENT_X + 8, CLIENT_Y + 64)
    solid_bg = {(x, y) for x in range(label_x, label_x + LABEL[2]) for y in range(label_y, label_y + LABEL[3])
                if after.pixel(x, y) == client_bg}
    on_background = next(p for p in sorted(solid_bg) if deep_inside(solid_bg, *p, 3))
    on_stroke = next(p for p in sorted(strokes, key=lambda p: (p[1], p[0])) if deep_inside(strokes, *p, 1))
    e2e.click(*on_background)
    e2e.click(CLIENT_X + 8, CLIENT_Y + 64, button=3)
    e2e.click(*on_stroke)
    deadline = time.monotonic() + 3
    while on_stroke + (1,) not in button_presses(log) and time.monotonic() < deadline:
        time.sleep(0.05)
    presses = button_presses(log)[reported:]
    assert on_stroke + (1,) in presses, f"the click through the text at {on_stroke} did not reach the window beneath"
    assert presses == [on_stroke + (1,)], \
        f"the window beneath saw {presses}; only the click at {on_stroke} belongs to it"
    now = e2e.geometry(window)
    assert (now.x, now.y) == (outer.x, outer.y), "the clicks moved the clock"
