"""pytest fixtures for the end-to-end tests: an X display, a Wine prefix, and the clock program itself.

scripts/test.sh hands in a prefix and display of the run's own through WINEPREFIX and DISPLAY. Run alone,
the tests start Xvfb with openbox themselves and work in a prefix of their own. Either way the prefix is a
copy of the template and the Wine variables are those of scripts/wine-env.sh.
"""

import os
import shutil
import signal
import tempfile

import pytest

import tintavo_e2e as e2e

# The screenshot for the README, kept by a test and written to docs/clock.png when the whole run passes.
readme_shot = {}


def pytest_configure(config):
    # A run ended by SIGTERM (timeout, CI) still tears its fixtures down: the virtual display, the Wine
    # processes and the private prefix would otherwise outlive it.
    def interrupt(signum, frame):
        raise KeyboardInterrupt(f"signal {signum}")
    signal.signal(signal.SIGTERM, interrupt)


@pytest.fixture(scope="session")
def wine_env():
    """Makes sure DISPLAY names a working X server and WINEPREFIX a finished prefix."""
    display = None
    own_dir = None
    prefix = os.environ.get("WINEPREFIX")
    if not (prefix and os.path.isfile(os.path.join(prefix, ".tintavo-prefix"))
            and e2e.display_works(os.environ.get("DISPLAY"))):
        display = e2e.VirtualDisplay()
        own_dir = tempfile.mkdtemp(prefix="tintavo-e2e-")
        prefix = os.path.join(own_dir, "prefix")
    saved = {}
    try:
        env = e2e.wine_environment(prefix, new=own_dir is not None)
        if display is not None:
            env["DISPLAY"] = display.start()
        saved = {key: os.environ.get(key) for key in env}
        os.environ.update(env)
        e2e.SHOTS_DIR.mkdir(parents=True, exist_ok=True)
        yield
    finally:
        if display is not None:
            e2e.Clock.kill_prefix()
            display.stop()
        if own_dir is not None:
            shutil.rmtree(own_dir, ignore_errors=True)
        for key, value in saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value


@pytest.fixture
def clock(wine_env):
    """A not yet started run of tintavo.exe; every Wine process of the prefix is ended afterwards."""
    if not e2e.exe_path().is_file():
        pytest.fail(f"{e2e.exe_path()} is missing: build it first (scripts/build.sh)")
    program = e2e.Clock()
    yield program
    if program.process is not None and program.process.poll() is not None:
        print(f"tintavo.exe exited early with {program.process.returncode}:\n{program.output()}")
    program.stop()
    e2e.wait_until_gone(e2e.MAIN_TITLE)


def pytest_sessionfinish(session, exitstatus):
    """Refreshes the README's pictures of the clock (at 96 and 144 dpi) from this run's when it passed."""
    if exitstatus != 0 or session.testsfailed:
        return
    for key, name in (("image", "clock.png"), ("image-144", "clock-144dpi.png")):
        target = e2e.REPO / "docs" / name
        if key in readme_shot and e2e.refresh_picture(readme_shot[key], target):
            print(f"\nupdated {target.relative_to(e2e.REPO)}")
