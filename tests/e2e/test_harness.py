"""Checks of the end-to-end helpers themselves, against an independent tool (date)."""

import os
import subprocess

import pytest

import tintavo_e2e as e2e


@pytest.mark.parametrize("hour, minute", [(0, 20), (6, 0), (10, 45), (12, 30), (18, 9), (23, 59)])
def test_tz_value_gives_the_wanted_local_time(hour, minute):
    tz = e2e.tz_for_local_time(hour, minute, second=2)
    shown = subprocess.run(["date", "+%H:%M:%S"], env=dict(os.environ, TZ=tz), text=True,
                           stdout=subprocess.PIPE, check=True).stdout.strip()
    # date runs a moment later than the offset was computed; a few seconds of slack stay in the minute.
    assert shown[:5] == f"{hour:02d}:{minute:02d}", tz
    assert 2 <= int(shown[6:]) <= 10, tz


@pytest.mark.parametrize("utc_now, expected", [
    (0, "XXX+05:50:58"),               # UTC+18:09:02 would be past twelve hours: UTC-05:50:58
    (12 * 3600, "XXX-06:09:02"),
    (20 * 3600 + 30, "XXX+01:51:28"),
    (86400 * 7 + 18 * 3600 + 9 * 60 + 2, "XXX-00:00:00"),
])
def test_tz_offset_stays_within_twelve_hours(utc_now, expected):
    assert e2e.tz_for_local_time(18, 9, 2, utc_now=utc_now) == expected

