"""End-to-end tests of the main clock window: tintavo.exe under Wine, watched through screenshots. What
they hold is what only the screen shows (the drawn layout, the text's place, a paused process's cost);
the time text and the colour rules are the host tests', their timing the Windows tests' (ClockFormTest),
and what another program reads of the window the outside-in suite's (tests/outside)."""

import time

from PIL import Image, ImageDraw

import conftest
import tintavo_e2e as e2e
from tintavo_e2e import BLACK, LABEL, MAIN_CLIENT, MAIN_TITLE, RED, SETTLE_S, WHITE

WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK = 0x2B1, 7


def client(image):
    return e2e.within(image, MAIN_CLIENT)


def off_layout(area, background, label_may_differ=False):
    """A mask of the client pixels that break the layout: the 1-pixel rectangle from (16, 16) to (232, 112)
    in black, everything else in the background colour; the label left out if it may differ."""
    layout = Image.new("RGB", area.size, background)
    ImageDraw.Draw(layout).rectangle((16, 16, 232, 112), outline=BLACK)
    off = e2e.difference(area, layout)
    if label_may_differ:
        off.paste(0, (LABEL.x, LABEL.y, LABEL.x + LABEL.width, LABEL.y + LABEL.height))
    return off


def pixels_set(mask):
    return sum(mask.histogram()[1:])


def background_is(color):
    # Four spots away from the rectangle and the label.
    spots = ((3, 3), (246, 125), (8, 64), (120, 100))

    def check(image):
        return all(image.getpixel((MAIN_CLIENT.x + x, MAIN_CLIENT.y + y)) == color for x, y in spots)
    return check


def test_main_window_opens_white_then_shows_time_and_scheduled_color(clock):
    clock.start(18, 9)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=30)
    shown_at = time.monotonic()

    # Right after loading: white client area, the black rectangle, no text yet.
    first = e2e.wait_for_screen(e2e.painted, timeout=2, interval=0.01, what="the painted window")
    seen = time.monotonic() - shown_at
    first.save(e2e.SHOTS_DIR / "main-18-09-loaded.png")
    off = off_layout(client(first), WHITE)
    assert not off.getbbox(), (f"just loaded (seen {seen:.2f} s after showing): {pixels_set(off)} pixels off "
                               f"the white layout with the black rectangle and empty label, in {off.getbbox()}")

    # The time shows in grey, centred in the label.
    with_text = e2e.wait_for_screen(e2e.shows_text, timeout=SETTLE_S, interval=0.05, what="the time in grey")
    with_text.save(e2e.SHOTS_DIR / "main-18-09-time.png")
    area = client(with_text)
    background = area.getpixel((3, 3))
    assert background in (WHITE, RED), "the background is neither the layout colour nor the scheduled one"
    outside = off_layout(area, background, label_may_differ=True).getbbox()
    assert not outside, f"text drawn outside the label, in {outside}"
    left, top, right, _ = off_layout(area, background).getbbox()
    # "6:09 PM" in 30-point bold Times New Roman metrics is about 145 pixels wide.
    assert 137 <= right - left <= 153, f"text spans x {left}..{right - 1}: wrong font or text"
    assert abs((left + right - 1) / 2 - (LABEL.x + (LABEL.width - 1) / 2)) <= 2, \
        f"text not centred: x {left}..{right - 1}"
    assert top < LABEL.y + 15, f"text starts at y {top}, not at the top of the label"

    # The scheduled colour for 6 PM: red, with the rectangle and the time on it.
    red = e2e.wait_for_screen(background_is(RED), timeout=SETTLE_S, what="the red background")
    red.save(e2e.SHOTS_DIR / "main-18-09-red.png")
    off = off_layout(client(red), RED, label_may_differ=True)
    assert not off.getbbox(), \
        f"{pixels_set(off)} pixels off the red background with the black rectangle, in {off.getbbox()}"

    outer = e2e.geometry(window)
    assert outer.encloses(MAIN_CLIENT), f"window {outer} does not hold the client area"
    assert clock.running()
    conftest.readme_shot["image"] = e2e.within(red, outer)


def test_a_locked_session_stops_the_clock(clock):
    clock.start_main(18, 9, color=RED)
    pid = clock.program_pid()
    e2e.post_message(MAIN_TITLE, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, "session")
    time.sleep(0.3)
    before = e2e.cpu_and_wakeups(pid)
    time.sleep(1.5)
    after = e2e.cpu_and_wakeups(pid)
    assert after == before, f"locked, the clock still runs: (processor ticks, wake-ups) {before} -> {after}"
