"""Helpers for driving tintavo.exe under Wine on an X display: start it at a chosen local time, find its
windows, read their geometry and window-manager state, take screenshots and read pixels, use the mouse and
keyboard, and work the program's menus and color dialog as a person would."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

from PIL import Image, ImageChops, ImageGrab

REPO = Path(__file__).resolve().parents[2]
SHOTS_DIR = REPO / "build" / "e2e-shots"
MAIN_TITLE = "ZuziradOdor Digital Tintavo"


def exe_path():
    return Path(os.environ.get("TINTAVO_EXE", REPO / "build" / "win" / "windows" / "tintavo.exe"))


def post_message(title, message, wparam, lparam):
    """Posts a window message to the window titled title from a process of the prefix's own (Wine never
    sends session, power or display messages); lparam may be "session", the session id of the prefix."""
    exe = REPO / "build" / "win" / "tests" / "support" / "post_message.exe"
    run(["wine", str(exe), title, hex(message), str(wparam), str(lparam)], timeout=30)


def cpu_and_wakeups(pid):
    """(user + system clock ticks, voluntary context switches summed over the threads) of a Linux process:
    what it has cost so far, and how often it has gone to sleep waiting for something."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()  # after the name, which may hold spaces
    wakeups = 0
    for status in Path(f"/proc/{pid}/task").glob("*/status"):
        try:
            wakeups += int(re.search(r"^voluntary_ctxt_switches:\s*(\d+)", status.read_text(), re.M).group(1))
        except FileNotFoundError:  # the thread ended meanwhile
            pass
    return int(fields[11]) + int(fields[12]), wakeups


def run(args, timeout=20, check=True, env=None):
    """Runs a command and gives its stdout as text."""
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            timeout=timeout, env=env)
    if check and result.returncode != 0:
        raise RuntimeError(f"{args[0]} failed ({result.returncode}): {result.stderr.strip()}")
    return result.stdout


def poll(read, done, timeout, interval=0.05):
    """Calls read() until done(value) holds or timeout seconds have passed; gives the last value either way."""
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if done(value) or time.monotonic() > deadline:
            return value
        time.sleep(interval)


def stop_process(process):
    """Terminates a child process, and kills it if it has not ended 5 s later."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


# ---------------------------------------------------------------------------------------------------
# Local time through TZ


def tz_for_local_time(hour, minute, second=2, utc_now=None):
    """A POSIX TZ value under which the local time is hour:minute:second right now.

    The offset is chosen between -12 and +12 hours and may carry seconds; Wine honours them. Starting a
    few seconds into the minute leaves the better part of a minute before the displayed time changes.
    """
    if utc_now is None:
        utc_now = time.time()
    utc_seconds_of_day = int(utc_now) % 86400
    offset = (hour * 3600 + minute * 60 + second - utc_seconds_of_day) % 86400
    if offset > 43200:
        offset -= 86400
    # POSIX counts offsets west of Greenwich as positive: UTC+5 is "XXX-5".
    sign = "-" if offset >= 0 else "+"
    offset = abs(offset)
    return f"XXX{sign}{offset // 3600:02d}:{offset // 60 % 60:02d}:{offset % 60:02d}"


# ---------------------------------------------------------------------------------------------------
# Pictures: Pillow images in RGB, taken straight from the X display


def screenshot(save_as=None):
    """The whole screen now; also written to build/e2e-shots/<save_as>.png when a name is given."""
    image = ImageGrab.grab(xdisplay=os.environ["DISPLAY"])
    if save_as:
        image.save(SHOTS_DIR / f"{save_as}.png")
    return image


def wait_for_screen(predicate, timeout, interval=0.05, what="the expected picture"):
    """Takes screenshots until predicate(image) holds; gives that image. Raises TimeoutError with the
    last image saved to build/e2e-shots/timeout.png otherwise."""
    deadline = time.monotonic() + timeout
    while True:
        image = screenshot()
        if predicate(image):
            return image
        if time.monotonic() > deadline:
            image.save(SHOTS_DIR / "timeout.png")
            raise TimeoutError(f"no screenshot showed {what} within {timeout} s "
                               f"(last one: build/e2e-shots/timeout.png)")
        time.sleep(interval)


def within(image, area):
    """The part of image inside area (anything with x, y, width and height, such as a Geometry)."""
    return image.crop((area.x, area.y, area.x + area.width, area.y + area.height))


def colors(image):
    """How often each colour occurs, {(r, g, b): pixels}."""
    return {color: n for n, color in image.getcolors(image.width * image.height)}


def count(image, color):
    return colors(image).get(color, 0)


def difference(image, other):
    """A greyscale image: at each pixel the largest channel difference between image and other (an image
    of the same size, or one colour), 0 where they agree."""
    if not isinstance(other, Image.Image):
        other = Image.new("RGB", image.size, other)
    red, green, blue = ImageChops.difference(image, other).split()
    return ImageChops.lighter(ImageChops.lighter(red, green), blue)


def mask(image, color):
    """255 where image has exactly this colour (for text, its solid strokes: antialiased edges are blends
    with whatever lies beneath), 0 elsewhere."""
    return difference(image, color).point(lambda v: 255 if v == 0 else 0)


def spans(mask_image, columns=True, gap=1):
    """(first, last) of each run of the columns (or rows) that hold a set pixel of the mask; a run ends
    where more than gap columns in a row hold none."""
    width, height = mask_image.size
    profile = mask_image.convert("F").resize((width, 1) if columns else (1, height), Image.BOX)
    found = []
    for p in (i for i, v in enumerate(profile.getdata()) if v > 0):
        if found and p - found[-1][1] <= gap:
            found[-1][1] = p
        else:
            found.append([p, p])
    return [tuple(r) for r in found]


def refresh_picture(image, target):
    """Writes a README picture when asked to (TINTAVO_UPDATE_DOCS=1) and the one there looks different
    (1 % or more of the pixels off by more than 24 in a channel); gives whether it wrote. Test runs leave
    the tracked files alone."""
    if os.environ.get("TINTAVO_UPDATE_DOCS") != "1":
        return False
    if target.is_file():
        try:
            with Image.open(target) as old:
                off = difference(image, old.convert("RGB")) if old.size == image.size else None
        except OSError:  # an unreadable old picture is simply replaced
            off = None
        if off is not None and sum(off.histogram()[25:]) < 0.01 * image.width * image.height:
            return False
    image.save(target)
    return True


# ---------------------------------------------------------------------------------------------------
# Windows


@dataclass
class Geometry:
    x: int
    y: int
    width: int
    height: int

    @property
    def origin(self):
        """The top-left corner, (x, y)."""
        return self.x, self.y

    def contains(self, x, y, width=1, height=1):
        return (self.x <= x and self.y <= y
                and x + width <= self.x + self.width and y + height <= self.y + self.height)

    def encloses(self, other):
        """Whether the area other (a Geometry) lies wholly inside this one."""
        return self.contains(other.x, other.y, other.width, other.height)


def find_windows(title, visible_only=True):
    """X window ids of the windows whose name is exactly title."""
    args = ["xdotool", "search"]
    if visible_only:
        args.append("--onlyvisible")
    args += ["--name", "^" + re.escape(title) + "$"]
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=10)
    return [int(w) for w in result.stdout.split()]


def wait_for_window(title, timeout=30.0):
    """The id of the first visible window named title, once there is one."""
    ids = poll(lambda: find_windows(title), bool, timeout)
    if not ids:
        raise TimeoutError(f"no visible window named {title!r} within {timeout} s")
    return ids[0]


def wait_until_gone(title, timeout=10.0):
    """Returns once no visible window is named title."""
    if poll(lambda: find_windows(title), lambda ids: not ids, timeout):
        raise TimeoutError(f"window {title!r} still there after {timeout} s")


def geometry(window_id):
    """Position on the screen and size of the X window (for Wine windows: the whole window, frame included)."""
    out = run(["xwininfo", "-id", str(window_id)])
    values = {}
    for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                       ("width", "Width"), ("height", "Height")):
        match = re.search(rf"^\s*{label}:\s*(-?\d+)", out, re.MULTILINE)
        if not match:
            raise RuntimeError(f"xwininfo gave no {label!r}: {out}")
        values[key] = int(match.group(1))
    return Geometry(**values)


def wm_state(window_id):
    """The atoms in _NET_WM_STATE, e.g. {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"}."""
    out = run(["xprop", "-id", str(window_id), "_NET_WM_STATE"])
    if "=" not in out:
        return set()
    return {atom.strip() for atom in out.split("=", 1)[1].split(",") if atom.strip()}


def window_in_property(name, window_id=None):
    """The window id held in the X property name of a window (of the root window if None), or None."""
    where = ["-id", str(window_id)] if window_id is not None else ["-root"]
    match = re.search(r"window id # (0x[0-9a-f]+)", run(["xprop", *where, name]))
    return int(match.group(1), 16) if match else None


# ---------------------------------------------------------------------------------------------------
# Mouse and keyboard


# No --sync: xdotool then waits about 15 s for a pointer motion that never comes when the pointer is
# already at the spot. The X server handles the synthetic events in order, so the press lands there anyway.
def click(x, y, button=1):
    """Moves the pointer to (x, y) and clicks there."""
    run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])


def drag(x0, y0, x1, y1, button=1, steps=10):
    """Presses at (x0, y0), moves in steps to (x1, y1) and releases there."""
    run(["xdotool", "mousemove", str(x0), str(y0), "mousedown", str(button)])
    for i in range(1, steps + 1):
        x = x0 + (x1 - x0) * i // steps
        y = y0 + (y1 - y0) * i // steps
        run(["xdotool", "mousemove", str(x), str(y)])
        time.sleep(0.02)
    run(["xdotool", "mouseup", str(button)])


def press(*keys):
    """Presses and releases the keys one after another, e.g. press("Down", "Return")."""
    run(["xdotool", "key", "--delay", "40", *keys])


# ---------------------------------------------------------------------------------------------------
# The program


class Clock:
    """One run of tintavo.exe in the current WINEPREFIX on the current DISPLAY."""

    def __init__(self, exe=None):
        self.exe = Path(exe) if exe else exe_path()
        self.process = None
        self.started_at = None
        self.tz = None

    def start(self, hour, minute, second=2, args=()):
        """Starts the program so that its local time is hour:minute:second at start, with a command line
        of args if given."""
        if not self.exe.is_file():
            raise FileNotFoundError(f"{self.exe} is not built")
        env = dict(os.environ)
        self.tz = env["TZ"] = tz_for_local_time(hour, minute, second)
        self.log = tempfile.TemporaryFile()
        self.started_at = time.monotonic()
        self.process = subprocess.Popen(["wine", str(self.exe), *args], env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        return self

    def start_main(self, hour, minute, second=2, color=None):
        """Starts the program, waits for the time in grey (on this background colour if given); gives the window."""
        self.start(hour, minute, second)
        window = wait_for_window(MAIN_TITLE, timeout=30)
        wait_for_screen(lambda im: shows_text(im) and (color is None or background(im) == color),
                        timeout=SETTLE_S, what="the time in grey")
        return window

    @staticmethod
    def kill_prefix():
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def running(self):
        return self.process is not None and self.process.poll() is None

    def program_pid(self):
        """The Linux pid of the program itself: the wine loader started becomes it."""
        with open(f"/proc/{self.process.pid}/comm") as comm:
            name = comm.read().strip()
        assert name == self.exe.name[:15], f"process {self.process.pid} is {name}, not {self.exe.name}"
        return self.process.pid

    def stop(self):
        """Ends every Wine process of the prefix (the program and anything it opened)."""
        if self.process is None:
            return
        self.kill_prefix()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=10)
        self.process = None


# ---------------------------------------------------------------------------------------------------
# The program's windows

COMPACT_TITLE = "Quorvin Clock"
COLOR_TITLE = "Color"

# Wine draws the frame of the program's windows: 3 px all round and a 16 px caption, then the menu bar.
FRAME, CAPTION, MENU_BAR_HEIGHT = 3, 16, 19
# The main window's client area on the screen as it opens; its time label inside the client area, and
# the label on the screen. The compact clock's client area has this size.
MAIN_CLIENT = Geometry(288, 191, 250, 129)
LABEL = Geometry(24, 40, 201, 41)
SCREEN_LABEL = Geometry(MAIN_CLIENT.x + LABEL.x, MAIN_CLIENT.y + LABEL.y, LABEL.width, LABEL.height)
COMPACT_CLIENT_SIZE = (82, 30)

# The program gets this long (after its window shows) to write the time and set the first colour.
SETTLE_S = 4.0

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (255, 0, 0)
TEXT_GREY = (128, 128, 128)


def client_origin(window_id, menu=True):
    """Top-left corner of a window's client area on the screen, from its outer geometry."""
    outer = geometry(window_id)
    return outer.x + FRAME, outer.y + FRAME + CAPTION + (MENU_BAR_HEIGHT if menu else 0)


def client_size(window_id, menu=True):
    """Width and height of a window's client area, from its outer geometry."""
    outer = geometry(window_id)
    return outer.width - 2 * FRAME, outer.height - 2 * FRAME - CAPTION - (MENU_BAR_HEIGHT if menu else 0)


def close_box(window_id):
    """Clicks the close box at the right end of the window's caption."""
    outer = geometry(window_id)
    click(outer.x + outer.width - 12, outer.y + 10)


def background(image):
    """The main window's background colour, at a spot away from its rectangle and label."""
    return image.getpixel((MAIN_CLIENT.x + 3, MAIN_CLIENT.y + 3))


def shows_text(image, color=TEXT_GREY):
    """The main window's label shows text whose solid strokes have this colour."""
    return count(within(image, SCREEN_LABEL), color) >= 100


def painted(image, origin=MAIN_CLIENT.origin):
    """The main window (client area at origin) shows its black rectangle, in an area not all black as when unpainted."""
    x, y = origin
    corners = ((16, 16), (232, 16), (16, 112), (232, 112))
    beside = ((15, 15), (17, 17), (233, 15), (231, 17), (15, 113), (17, 111), (233, 113), (231, 111), (3, 3))
    return (all(image.getpixel((x + cx, y + cy)) == BLACK for cx, cy in corners)
            and all(image.getpixel((x + cx, y + cy)) != BLACK for cx, cy in beside))


# ---------------------------------------------------------------------------------------------------
# The main window's menu

# The items of the File and About menus, top to bottom.
FILE_MENU = ("Font", "Display", "Close", "Small")
ABOUT_MENU = ("Tintavo", "ZuziradOdor")


def menu_bar_captions(image, origin=MAIN_CLIENT.origin, bar=(MAIN_CLIENT.width, MENU_BAR_HEIGHT)):
    """(first, last) x of each caption written in black on the menu bar (width, height) above the client
    area at origin."""
    x, y = origin
    captions = spans(mask(image.crop((x, y - bar[1], x + bar[0], y)), BLACK), gap=6)
    return [(x + first, x + last) for first, last in captions]


@dataclass
class PopupMenu:
    """An open popup menu as found on the screen."""

    geometry: Geometry
    rows: list     # (first, last) y on the screen of each item's caption
    image: Image.Image  # the popup as it looked when found

    def item_point(self, index):
        """The middle of the index-th item's caption, on the screen."""
        first, last = self.rows[index]
        return self.geometry.x + self.geometry.width // 2, (first + last) // 2


def open_popup():
    """Geometry of the popup menu on the screen (an unnamed window of the program), or None."""
    result = run(["xdotool", "search", "--onlyvisible", "--class", "^tintavo\\.exe$"], check=False)
    for window in result.split():
        info = run(["xwininfo", "-id", window], check=False)
        if "(has no name)" not in info:  # the program's titled windows
            continue
        try:
            outer = geometry(int(window))
        except RuntimeError:  # gone meanwhile
            continue
        if outer.width > 20 and outer.height > 20:
            return outer
    return None


def find_popup(items, timeout=5.0):
    """Waits for the popup menu showing this many item captions (lines of black text); gives it."""
    def look():
        outer = open_popup()
        if outer is None:
            return None
        picture = within(screenshot(), outer)
        inside = picture.crop((FRAME, FRAME, outer.width - FRAME, outer.height - FRAME))
        rows = spans(mask(inside, BLACK), columns=False, gap=2)
        return PopupMenu(outer, [(outer.y + FRAME + a, outer.y + FRAME + b) for a, b in rows], picture)
    popup = poll(look, lambda found: found is not None and len(found.rows) == items, timeout)
    if popup is None or len(popup.rows) != items:
        screenshot("timeout")
        raise TimeoutError(f"no popup menu with {items} items within {timeout} s (last popup "
                           f"{popup and popup.geometry}; build/e2e-shots/timeout.png)")
    return popup


def wait_popup_closed(timeout=5.0):
    """Returns once no popup menu is open."""
    if poll(open_popup, lambda outer: outer is None, timeout) is not None:
        raise TimeoutError("the popup menu stays open")


def open_menu(index, origin=MAIN_CLIENT.origin, bar=(MAIN_CLIENT.width, MENU_BAR_HEIGHT)):
    """Clicks the index-th menu bar caption (0: File, 1: About); gives the popup, checked to hang below it."""
    captions = menu_bar_captions(screenshot(), origin, bar)
    assert len(captions) == 2, f"menu bar captions at {captions}, expected two (File, About)"
    first, last = captions[index]
    click((first + last) // 2, origin[1] - bar[1] // 2)
    popup = find_popup(len(FILE_MENU) if index == 0 else len(ABOUT_MENU))
    assert popup.geometry.y == origin[1] and abs(popup.geometry.x - first) < 12, \
        f"the popup {popup.geometry} does not hang below its caption at x {first}"
    return popup


def choose(menu, item, origin=MAIN_CLIENT.origin, bar=(MAIN_CLIENT.width, MENU_BAR_HEIGHT)):
    """Chooses a command with the mouse: the caption on the menu bar, then the item in the popup."""
    index, items = (0, FILE_MENU) if menu == "File" else (1, ABOUT_MENU)
    popup = open_menu(index, origin, bar)
    click(*popup.item_point(items.index(item)))
    wait_popup_closed()


# ---------------------------------------------------------------------------------------------------
# The colour dialog

SWATCH_BLUE = (0, 0, 255)  # one of its basic swatches, all of which it paints at once


def color_dialog():
    """Waits for the colour dialog with its swatches painted; gives its window id and geometry."""
    window = wait_for_window(COLOR_TITLE, timeout=5)
    outer = geometry(window)
    wait_for_screen(lambda im: count(within(im, outer), SWATCH_BLUE) > 0, timeout=5, what="the colour swatches")
    return window, outer


def swatch_centre(image, outer, color):
    """Centre on the screen of the basic swatch of exactly this colour: one solid block in the dialog."""
    area = within(image, outer)
    box = mask(area, color).getbbox()
    assert box, f"no swatch of colour {color} in the colour dialog"
    left, top, right, bottom = box
    size = (right - left) * (bottom - top)
    assert count(area, color) == size and size >= 150, f"{color} is not one solid swatch: {box}"
    return outer.x + (left + right - 1) // 2, outer.y + (top + bottom - 1) // 2


def pick_color(color, confirm_key):
    """Clicks this colour's swatch in the colour dialog, then Return (OK) or Escape (Cancel) to close it."""
    _, outer = color_dialog()
    click(*swatch_centre(screenshot(), outer, color))
    time.sleep(0.2)
    press(confirm_key)
    wait_until_gone(COLOR_TITLE, timeout=5)


# ---------------------------------------------------------------------------------------------------
# A display and a prefix of our own, for runs of pytest outside scripts/test.sh


def display_works(display):
    if not display or not shutil.which("xdpyinfo"):
        return False
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          env=env, timeout=10).returncode == 0


class VirtualDisplay:
    """Xvfb with openbox on a free display number, started and stopped by scripts/wine-env.sh as for the
    other suites: scripts/virtual-display.sh keeps it while its input pipe stays open."""

    def __init__(self):
        self.keeper = None
        self.display = None

    def start(self):
        self.keeper = subprocess.Popen(["bash", str(REPO / "scripts" / "virtual-display.sh")],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.display = self.keeper.stdout.readline().strip()
        if not self.display.startswith(":"):
            self.stop()
            raise RuntimeError("the virtual display did not start (scripts/virtual-display.sh)")
        return self.display

    def stop(self):
        """Closes the pipe, on which the script stops the display and ends."""
        if self.keeper is None:
            return
        self.keeper.stdin.close()
        try:
            self.keeper.wait(timeout=15)
        except subprocess.TimeoutExpired:
            stop_process(self.keeper)
        self.keeper.stdout.close()
        self.keeper = None


def wine_environment(prefix, new):
    """The Wine variables of scripts/wine-env.sh for prefix ({"WINEPREFIX": ..., "WINEDEBUG": ...});
    with new, the prefix is first made there as a copy of the template, as for the other suites."""
    script = ('source "$1" && tintavo_wine_env "$2" && { [[ -z $3 ]] || tintavo_new_prefix "$2"; }'
              ' && tintavo_wine_vars')
    out = subprocess.run(["bash", "-c", script, "bash", str(REPO / "scripts" / "wine-env.sh"), str(prefix),
                          "new" if new else ""], stdout=subprocess.PIPE, text=True, check=True, timeout=300).stdout
    return dict(line.split("=", 1) for line in out.splitlines())
