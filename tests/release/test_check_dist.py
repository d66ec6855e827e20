"""Tests of the release folder's checker, on a copy of a folder that scripts/release.sh made: sound as
made, and a fault planted in the copy found. scripts/check-release.sh runs them on its release (TINTAVO_DIST,
with SOURCE_DATE_EPOCH its release time)."""

import datetime
import importlib.util
import os
import pathlib
import re
import shutil

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
CHECK_DIST = REPO / "tools" / "release" / "check_dist.py"  # the checker under test

_spec = importlib.util.spec_from_file_location("check_dist", CHECK_DIST)
check_dist = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(check_dist)


@pytest.fixture
def dist(tmp_path):
    if "TINTAVO_DIST" not in os.environ:
        pytest.skip("no release folder: scripts/check-release.sh runs these tests on the one it makes")
    return shutil.copytree(os.environ["TINTAVO_DIST"], tmp_path / "dist")


def faults(dist):
    header = check_dist.read_header(REPO / "windows" / "res" / "version.h")
    return check_dist.check(dist, header, REPO / "tools" / "release" / "schemas", int(os.environ["SOURCE_DATE_EPOCH"]))


def edit(dist, pattern, change):
    """Changes the one winget manifest whose text matches the pattern."""
    [path] = [p for p in (dist / "winget").glob("*.yaml")
              if re.search(pattern, p.read_text(encoding="utf-8"), re.MULTILINE)]
    path.write_text(change(path.read_text(encoding="utf-8")), encoding="utf-8")


def test_the_folder_as_released_is_sound(dist):
    assert faults(dist) == []


def test_a_release_date_a_day_off_is_refused(dist):
    def day_later(text):
        day = re.search(r'^ReleaseDate: "?(\d{4}-\d\d-\d\d)"?$', text, re.MULTILINE)
        later = datetime.date.fromisoformat(day[1]) + datetime.timedelta(days=1)
        return text.replace(day[0], f'ReleaseDate: "{later}"')

    edit(dist, r"^ReleaseDate:", day_later)
    [fault] = faults(dist)
    assert "ReleaseDate" in fault


def test_a_field_no_schema_names_is_refused(dist):
    # The schema's field is PrivacyUrl: winget's open objects would take this one and drop it.
    edit(dist, r"^PublisherUrl:",
         lambda text: text.replace("\nPublisherUrl:", "\nPrivacyURL: https://example.com\nPublisherUrl:"))
    [fault] = faults(dist)
    assert "'PrivacyURL' is not a field the schema names" in fault
