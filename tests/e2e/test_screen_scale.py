"""End-to-end test of the clock at 150 % scale (144 dpi): the main clock has its design size in twips at
that DPI, hairlines stay 1 pixel wide, and the text scales with the caption and menu bar around it. The
other windows' sizes at each DPI come from the same conversion, which the Windows tests hold against one
table."""

import pytest

import conftest
import tintavo_e2e as e2e
from tintavo_e2e import BLACK, MAIN_TITLE, RED, SETTLE_S, TEXT_GREY

CAPTION_BLUE = (50, 150, 250)

# At 144 dpi a twip is a tenth of a pixel: the main client area 3750 x 1935 twips at (4320, 2865).
MAIN = e2e.Geometry(432, 287, 375, 194)
LINES = (24, 24, 348, 168)  # the rectangle of lines, corners in client pixels
LABEL = e2e.Geometry(36, 60, 302, 62)
MENU_BAR = 28  # Wine's 19-pixel menu bar at 1.5 times
CAPTION = 24   # the small caption, 16 pixels at 96 dpi


def reg(*args):
    e2e.run(["wine", "reg", *args], timeout=60)
    e2e.Clock.kill_prefix()  # the DPI is read once per process and kept by the server's session


@pytest.fixture
def at_144_dpi(clock):
    """The run's prefix at 144 dpi for this test; back to the default afterwards."""
    reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    yield clock
    clock.stop()
    reg("delete", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/f")


def test_the_main_clock_has_its_design_size_at_144_dpi(at_144_dpi):
    clock = at_144_dpi
    clock.start(18, 9)
    window = e2e.wait_for_window(MAIN_TITLE, timeout=30)
    x, y = MAIN.origin
    label = e2e.Geometry(x + LABEL.x, y + LABEL.y, LABEL.width, LABEL.height)
    image = e2e.wait_for_screen(
        lambda im: im.getpixel((x + 3, y + 3)) == RED and e2e.count(e2e.within(im, label), TEXT_GREY) > 200,
        timeout=SETTLE_S + 2, what="the red clock with its time at 144 dpi")
    image.save(e2e.SHOTS_DIR / "dpi144-main.png")

    # The client area: red exactly over 375 x 194 pixels at (432, 287).
    corners = ((x, y), (x + 374, y), (x, y + 193), (x + 374, y + 193))
    assert all(image.getpixel(corner) == RED for corner in corners)
    assert not any(image.getpixel((px, py)) == RED for px, py in ((x - 1, y + 50), (x + 375, y + 50),
                                                                 (x + 100, y - 1), (x + 100, y + 194)))
    # The rectangle of lines, 1 pixel wide: black on its corners, red just inside and outside.
    left, top, right, bottom = (x + v if i % 2 == 0 else y + v for i, v in enumerate(LINES))
    for cx, cy in ((left, top), (right, top), (left, bottom), (right, bottom), ((left + right) // 2, top)):
        assert image.getpixel((cx, cy)) == BLACK, f"no line at {(cx, cy)}"
    for cx, cy in ((left + 1, top + 1), (left - 1, top - 1), (right - 1, bottom - 1), (right + 1, bottom + 1)):
        assert image.getpixel((cx, cy)) == RED, f"the line is not a hairline near {(cx, cy)}"
    # The caption and the menu bar at 1.5 times, the client area right below them.
    outer = e2e.geometry(window)
    _, top, _, bottom = e2e.mask(image.crop((x + 100, outer.y, x + 101, y)), CAPTION_BLUE).getbbox()
    # Wine fills all but the caption's last row, which separates it from the menu bar.
    assert bottom - top == CAPTION - 1, f"caption rows {outer.y + top}..{outer.y + bottom - 1}"
    assert y - outer.y == e2e.FRAME + CAPTION + MENU_BAR
    # "6:09 PM" in 30-point bold at 144 dpi: about 1.5 times the 145 pixels it spans at 96 dpi.
    left, _, right, _ = e2e.mask(e2e.within(image, MAIN), TEXT_GREY).getbbox()
    assert 205 <= right - left <= 230, f"the time spans x {left}..{right - 1}"
    assert abs((left + right - 1) / 2 - (LABEL.x + (LABEL.width - 1) / 2)) <= 3, \
        f"the time is not centred: x {left}..{right - 1}"
    conftest.readme_shot["image-144"] = e2e.within(image, outer)
