"""End-to-end tests of the main clock window: tintavo.exe under Wine, watched through screenshots. What
they hold is what only the screen shows (the drawn layout, the text's place, a paused process's cost);
the time text and the colour rules are the host tests', their timing the Windows tests' (ClockFormTest),
and what another program reads of the window the outside-in suite's (tests/outside)."""

import time

import conftest
import tintavo_e2e as e2e
from tintavo_e2e import BLACK, LABEL, MAIN_CLIENT, MAIN_TITLE, RED, SETTLE_S, WHITE

WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK = 0x2B1, 7


def client(image):
    return image.within(MAIN_CLIENT)


def on_frame_rectangle(x, y):
    """True for the client pixels of the 1-pixel rectangle with corners (16, 16) and (232, 112)."""
    return ((y in (16, 112) and 16 <= x <= 232) or (x in (16, 232) and 16 <= y <= 112))


def layout_mismatches(area, background, label_may_differ):
    """Client pixels that break the layout: the rectangle in black, everything else (except, if allowed,
    the label) in the background color. Gives up to ten (x, y, color) for the failure message."""
    wrong = []
    for x, y, color in area.pixels():
        if on_frame_rectangle(x, y):
            expected = BLACK
        elif label_may_differ and LABEL.contains(x, y):
            continue
        else:
            expected = background
        if color != expected:
            wrong.append((x, y, color))
    return wrong[:10], len(wrong)


def text_pixels(area, background):
    """Pixels of the client area that are neither background nor rectangle: the drawn text."""
    return [(x, y, c) for x, y, c in area.pixels() if c != background and not on_frame_rectangle(x, y)]


def background_is(color):
    # Four spots away from the rectangle and the label.
    spots = ((3, 3), (246, 125), (8, 64), (120, 100))

    def check(image):
        area = client(image)
        return all(area.pixel(x, y) == color for x, y in spots)
    return check


def test_main_window_opens_white_then_shows_time_and_scheduled_color(clock):
    clock.start(18, 9)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=30)
    shown_at = time.monotonic()

    # Right after loading: white client area, the black rectangle, no text yet.
    first = e2e.wait_for_screen(e2e.painted, timeout=2, interval=0.01, what="the painted window")
    first.save_png(e2e.SHOTS_DIR / "main-18-09-loaded.png")
    wrong, count = layout_mismatches(client(first), WHITE, label_may_differ=False)
    assert count == 0, (f"just loaded ({first.taken_at - shown_at:.2f} s after showing): {count} pixels "
                        f"off the white layout with the black rectangle and empty label, e.g. {wrong}")

    # The time shows in grey, centred in the label.
    with_text = e2e.wait_for_screen(e2e.shows_text, timeout=SETTLE_S, interval=0.05, what="the time in grey")
    with_text.save_png(e2e.SHOTS_DIR / "main-18-09-time.png")
    area = client(with_text)
    background = area.pixel(3, 3)
    assert background in (WHITE, RED), "the background is neither the layout colour nor the scheduled one"
    drawn = text_pixels(area, background)
    outside = [(x, y) for x, y, _ in drawn if not LABEL.contains(x, y)]
    assert not outside, f"text drawn outside the label at {outside[:10]}"
    left = min(x for x, _, _ in drawn)
    right = max(x for x, _, _ in drawn)
    top = min(y for _, y, _ in drawn)
    # "6:09 PM" in 30-point bold Times New Roman metrics is about 145 pixels wide.
    assert 137 <= right - left + 1 <= 153, f"text spans x {left}..{right}: wrong font or text"
    assert abs((left + right) / 2 - (LABEL.x + (LABEL.width - 1) / 2)) <= 2, f"text not centred: {left}..{right}"
    assert top < LABEL.y + 15, f"text starts at y {top}, not at the top of the label"

    # The scheduled colour for 6 PM: red, with the rectangle and the time on it.
    red = e2e.wait_for_screen(background_is(RED), timeout=SETTLE_S, what="the red background")
    red.save_png(e2e.SHOTS_DIR / "main-18-09-red.png")
    area = client(red)
    wrong, count = layout_mismatches(area, RED, label_may_differ=True)
    assert count == 0, f"{count} pixels off the red background with the black rectangle, e.g. {wrong}"

    outer = e2e.geometry(window)
    assert outer.encloses(MAIN_CLIENT), f"window {outer} does not hold the client area"
    assert clock.running()
    conftest.readme_shot["image"] = red.within(outer)


def test_a_locked_session_stops_the_clock(clock):
    clock.start_main(18, 9, color=RED)
    pid = clock.program_pid()
    e2e.post_message(MAIN_TITLE, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, "session")
    time.sleep(0.3)
    before = e2e.cpu_and_wakeups(pid)
    time.sleep(1.5)
    after = e2e.cpu_and_wakeups(pid)
    assert after == before, f"locked, the clock still runs: (processor ticks, wake-ups) {before} -> {after}"
