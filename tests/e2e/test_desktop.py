"""End-to-end tests of the clock's desktop behaviour: staying above other windows, dragging by the client
area, and see-through key-color pixels that let clicks pass to the window beneath."""

import re
import subprocess
import time

import pytest
from PIL import Image, ImageChops, ImageFilter, ImageOps

import tintavo_e2e as e2e
from tintavo_e2e import COMPACT_TITLE, MAIN_CLIENT, MAIN_TITLE, RED, SCREEN_LABEL, TEXT_GREY, WHITE

# The compact clock's time label inside its client area: left, top, width, height.
COMPACT_LABEL = (8, 8, 65, 17)
GREEN = (0, 255, 0)
CYAN = (0, 255, 255)
KEY = (255, 0, 255)


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
        e2e.stop_process(process)


def button_presses(log_path):
    """(x, y, button) on the root window of every ButtonPress that xev has reported so far."""
    text = log_path.read_bytes().decode(errors="replace")
    return [(int(x), int(y), int(button)) for x, y, button in
            re.findall(r"ButtonPress event.*?root:\((-?\d+),(-?\d+)\).*?button (\d+)", text, re.DOTALL)]


# ---------------------------------------------------------------------------------------------------
# The clock's windows


def wait_for_state(window):
    """_NET_WM_STATE once it marks the window to stay above others without a taskbar entry, or after 3 s."""
    return e2e.poll(lambda: e2e.wm_state(window),
                    lambda state: {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"} <= state, timeout=3)


def wait_for_position(window, x, y):
    """The window's geometry once it is at (x, y), or after 3 s."""
    return e2e.poll(lambda: e2e.geometry(window), lambda now: (now.x, now.y) == (x, y), timeout=3)


# ---------------------------------------------------------------------------------------------------
# Staying above


def test_stays_above_a_raised_active_window_and_brings_a_covered_about_window_forward(clock, x_clients):
    window = clock.start_main(18, 9)
    outer = e2e.geometry(window)

    # A window larger than the clock, placed over it, raised and made the active window.
    logo = x_clients(["xlogo", "-title", "tintavo-cover", "-bg", "green", "-geometry", "460x340+180+80"],
                     "tintavo-cover")
    e2e.run(["xdotool", "windowactivate", "--sync", str(logo), "windowraise", str(logo)])
    cover = e2e.geometry(logo)
    assert cover.encloses(outer), f"the other window {cover} does not reach over the clock {outer}"
    assert e2e.window_in_property("_NET_ACTIVE_WINDOW") == logo, "the other window did not become the active window"
    # It is drawn: its green shows left of the clock.
    e2e.wait_for_screen(lambda im: im.getpixel((outer.x - 20, outer.y + 40)) == GREEN, timeout=5,
                        what="the raised window")

    # The clock stays on top of it, also a moment later.
    for n in range(3):
        shot = e2e.screenshot(f"desktop-above-{n}")
        assert e2e.count(e2e.within(shot, outer), GREEN) == 0, f"the raised window shows through the clock (shot {n})"
        assert e2e.painted(shot), f"the clock's rectangle is not on top (shot {n})"
        time.sleep(0.2)
    assert e2e.window_in_property("_NET_ACTIVE_WINDOW") == logo

    state = wait_for_state(window)
    assert "_NET_WM_STATE_ABOVE" in state, f"not marked to stay above others: {state}"
    assert "_NET_WM_STATE_SKIP_TASKBAR" in state, f"has a taskbar entry: {state}"

    # An open About window that the other window covers comes to the front when chosen again.
    e2e.choose("About", "Tintavo")
    about = e2e.wait_for_window("About Digital Tintavo", timeout=5)
    spot = tuple(v + 4 for v in e2e.client_origin(about, menu=False))  # in its cyan, under the other window
    e2e.run(["xdotool", "windowactivate", "--sync", str(logo), "windowraise", str(logo)])
    e2e.wait_for_screen(lambda im: im.getpixel(spot) == GREEN, timeout=5, what="the About window covered")
    e2e.choose("About", "Tintavo")
    e2e.wait_for_screen(lambda im: im.getpixel(spot) == CYAN, timeout=5, what="the About window in front")
    assert e2e.find_windows("About Digital Tintavo") == [about]


# ---------------------------------------------------------------------------------------------------
# Dragging


def test_left_drag_outside_label_moves_window_other_drags_do_not(clock):
    window = clock.start_main(18, 9)
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
        px, py = MAIN_CLIENT.x + cx, MAIN_CLIENT.y + cy
        e2e.drag(px, py, px + 90, py + 60, button=button, steps=5)
        now = e2e.geometry(window)
        assert (now.x, now.y) == (start.x, start.y), f"{what} moved the window from {start} to {now}"
    # A move that showed only after its check above would still spoil the exact travel checked below.

    # A left drag from the client area outside the label, also right next to it, carries the window along
    # by the pointer's travel.
    moves = [((23, 60), (100, 60)), ((225, 60), (-130, 45)), ((124, 39), (60, -80)), ((124, 81), (-30, -25))]
    x, y = start.x, start.y
    for (cx, cy), (dx, dy) in moves:
        origin_x, origin_y = e2e.client_origin(window)
        e2e.drag(origin_x + cx, origin_y + cy, origin_x + cx + dx, origin_y + cy + dy, steps=5)
        now = wait_for_position(window, x + dx, y + dy)
        assert (now.x - x, now.y - y) == (dx, dy), \
            f"a left drag by {(dx, dy)} from client {(cx, cy)} moved the window by {(now.x - x, now.y - y)}"
        assert (now.width, now.height) == (start.width, start.height)
        x, y = now.x, now.y
    # The client area, rectangle and all, is drawn at the new place.
    origin = e2e.client_origin(window)
    shot = e2e.wait_for_screen(lambda im: e2e.painted(im, origin), timeout=3, what="the moved clock")
    shot.save(e2e.SHOTS_DIR / "desktop-dragged.png")


def test_compact_window_is_above_and_drags_like_the_main_window(clock):
    clock.start_main(18, 9)
    e2e.choose("File", "Small")
    window = e2e.wait_for_window(COMPACT_TITLE, timeout=10)
    state = wait_for_state(window)
    assert "_NET_WM_STATE_ABOVE" in state and "_NET_WM_STATE_SKIP_TASKBAR" in state, \
        f"compact window state: {state}"

    start = e2e.geometry(window)
    x, y = e2e.client_origin(window, menu=False)
    lx, ly, lw, lh = COMPACT_LABEL
    e2e.drag(x + lx + lw // 2, y + ly + lh // 2, x + lx + lw // 2 + 70, y + ly + lh // 2 + 50)
    e2e.drag(x + 78, y + 15, x + 78 + 70, y + 15 + 50, button=3)
    now = e2e.geometry(window)
    assert (now.x, now.y) == (start.x, start.y), f"a drag from the label or with the right button moved it to {now}"

    e2e.drag(x + 78, y + 15, x + 78 + 70, y + 15 + 50)
    now = wait_for_position(window, start.x + 70, start.y + 50)
    assert (now.x - start.x, now.y - start.y) == (70, 50), f"a left drag by (70, 50) moved it to {now} from {start}"
    e2e.screenshot("desktop-compact-dragged")

    # Its close box brings back a new main window, which is placed above others again.
    e2e.close_box(window)
    e2e.wait_until_gone(COMPACT_TITLE, timeout=5)
    again = e2e.wait_for_window(MAIN_TITLE, timeout=10)
    state = wait_for_state(again)
    assert "_NET_WM_STATE_ABOVE" in state and "_NET_WM_STATE_SKIP_TASKBAR" in state, \
        f"main window state after coming back: {state}"


# ---------------------------------------------------------------------------------------------------
# The key colour


def deep_inside(mask, reach, by_rows=False):
    """The first pixel (by columns, or by rows) of the mask whose square reach pixels around it is all in
    the mask, none at the mask's edge; in the mask's coordinates."""
    deep = ImageOps.crop(mask.filter(ImageFilter.MinFilter(2 * reach + 1)), reach)
    left, top, _, _ = deep.getbbox()
    if by_rows:
        return deep.crop((0, top, deep.width, top + 1)).getbbox()[0] + reach, top + reach
    return left + reach, deep.crop((left, 0, left + 1, deep.height)).getbbox()[1] + reach


def test_key_colored_text_shows_and_passes_clicks_to_the_window_beneath(clock, x_clients, tmp_path):
    # A window that will lie under the clock's label, and xev reporting the button presses it gets.
    probe = x_clients(["xlogo", "-title", "tintavo-under", "-bg", "green", "-geometry", "420x220+240+170"],
                      "tintavo-under")
    under = e2e.geometry(probe)
    label = SCREEN_LABEL
    assert under.encloses(label), f"the probe window {under} is not under the label"
    log = tmp_path / "xev.log"
    with open(log, "wb") as out:
        x_clients(["xev", "-id", str(probe), "-event", "button"], stdout=out)
    # The probe reports a click on it (away from where the clock will be), and this is what it shows.
    control = (under.x + under.width - 20, under.y + under.height - 20)

    def click_control():
        e2e.click(*control)
        time.sleep(0.1)
        return button_presses(log)
    presses = e2e.poll(click_control, bool, timeout=5)
    assert presses, "xev reports no clicks on the probe window"
    assert presses[0] == control + (1,)
    below = e2e.wait_for_screen(lambda im: im.getpixel((label.x + 10, label.y + 10)) == GREEN, timeout=5,
                                what="the probe window")
    below.save(e2e.SHOTS_DIR / "desktop-key-beneath.png")
    below = e2e.within(below, label)
    reported = len(button_presses(log))

    window = clock.start_main(18, 9)
    # The solid strokes of the time in its layout grey, and what lies beneath them.
    shown = e2e.wait_for_screen(e2e.shows_text, timeout=5, what="the time in grey")
    shown.save(e2e.SHOTS_DIR / "desktop-key-before.png")
    strokes = e2e.mask(e2e.within(shown, label), TEXT_GREY)
    beneath = set(e2e.colors(Image.composite(below, Image.new("RGB", below.size, GREEN), strokes)))
    assert not beneath & {TEXT_GREY, KEY, WHITE, RED}, f"the probe window shows {beneath} under the text"

    # File > Font, the (255, 0, 255) swatch, OK.
    e2e.choose("File", "Font")
    e2e.pick_color(KEY, "Return")

    # Where the text was solid, the window beneath now shows; the background stays the clock's.
    def see_through(image):
        return not ImageChops.darker(e2e.difference(e2e.within(image, label), below), strokes).getbbox()
    after = e2e.wait_for_screen(see_through, timeout=3, what="the window beneath through the text")
    after.save(e2e.SHOTS_DIR / "desktop-key-after.png")
    outer = e2e.geometry(window)
    assert e2e.count(e2e.within(after, outer), KEY) == 0, "key-colour pixels are drawn"
    left_of_label = (MAIN_CLIENT.x + 8, MAIN_CLIENT.y + 64)
    client_bg = after.getpixel(left_of_label)
    assert client_bg in (WHITE, RED), "the clock's background is not its own"
    assert e2e.painted(after)

    # Clicks on the clock's own background (inside the label, and a right click outside it), then one on
    # a solid stroke: only the last reaches the window beneath.
    x, y = deep_inside(e2e.mask(e2e.within(after, label), client_bg), 3)
    on_background = (label.x + x, label.y + y)
    x, y = deep_inside(strokes, 1, by_rows=True)
    on_stroke = (label.x + x, label.y + y)
    e2e.click(*on_background)
    e2e.click(*left_of_label, button=3)
    e2e.click(*on_stroke)
    presses = e2e.poll(lambda: button_presses(log), lambda seen: on_stroke + (1,) in seen, timeout=3)[reported:]
    assert on_stroke + (1,) in presses, f"the click through the text at {on_stroke} did not reach the window beneath"
    assert presses == [on_stroke + (1,)], \
        f"the window beneath saw {presses}; only the click at {on_stroke} belongs to it"
    now = e2e.geometry(window)
    assert (now.x, now.y) == (outer.x, outer.y), "the clicks moved the clock"
