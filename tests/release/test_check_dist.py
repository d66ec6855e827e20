"""Tests of the release folder's checker, on copies of a folder that scripts/release.sh made, each with one
fault planted that one rule of the checker must name. The folder as made is scripts/check-release.sh's own
check, which runs these on its release (TINTAVO_DIST, with SOURCE_DATE_EPOCH its release time)."""

import os
import pathlib
import re
import runpy
import shutil
import time
import zipfile

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
check_dist = runpy.run_path(str(REPO / "tools" / "release" / "check_dist.py"))  # the checker under test
HEADER = check_dist["read_header"](REPO / "windows" / "res" / "version.h")
RELEASE_TIME = int(os.environ.get("SOURCE_DATE_EPOCH", 0))
pytestmark = pytest.mark.skipif("TINTAVO_DIST" not in os.environ,
                                reason="no release folder: scripts/check-release.sh runs these on the one it makes")
# Checked at UTC-12 for a release time before noon (UTC), else at UTC+12: a day taken from local time is off.
os.environ["TZ"] = "XXX+12" if time.gmtime(RELEASE_TIME).tm_hour < 12 else "XXX-12"
time.tzset()


def sub(where, pattern, replacement):
    """A fault: the pattern replaced in the first file of the glob that holds it."""
    def plant(dist):
        path = next(p for p in sorted(dist.glob(where)) if re.search(pattern, p.read_bytes(), re.MULTILINE))
        path.write_bytes(re.sub(pattern, replacement, path.read_bytes(), flags=re.MULTILINE))
    return plant


def zipped(change):
    """A fault: the zip written again with change(its entries)."""
    def plant(dist):
        [archive] = dist.glob("*.zip")
        with zipfile.ZipFile(archive) as z:
            entries = change({name: z.read(name) for name in z.namelist()})
        with zipfile.ZipFile(archive, "w") as z:
            [z.writestr(*entry) for entry in entries.items()]
    return plant


FAULTS = [  # what the checker names, and the fault
    ("zip holds", zipped(lambda entries: {**entries, "extra.txt": b""})),
    ("the zip does not hold the signed exe", sub("tintavo.exe", rb"\Z", b"\0")),
    ("License.txt does not have CRLF", zipped(lambda e: {**e, "License.txt": b"MIT\n"})),
    ("the exe's version block", sub("tintavo.exe", "Quorvin".encode("utf-16-le"), "Quarvin".encode("utf-16-le"))),
    ("no schema for ManifestType", lambda dist: (dist / "winget" / "x.yaml").write_text("ManifestType: merged")),
    ("'PublisherURL' is not a field the schema names", sub("winget/*", rb"^PublisherUrl:", b"PublisherURL:")),
    ("not the schema line first", sub("winget/*", rb"\A#.*\n", b"")),
    ("not manifest 1.12.0 of version", sub("winget/*", rb"^PackageVersion: .*", b'PackageVersion: "9.99"')),
    ("not named for its package", lambda dist: next(dist.glob("winget/*.yaml")).rename(dist / "winget" / "x.yaml")),
    ("winget manifests ['defaultLocale', 'version']", lambda dist: next(dist.glob("winget/*.installer.*")).unlink()),
    ("package identifiers differ", sub("winget/*", rb"^PackageIdentifier: .*", b"PackageIdentifier: Quorvin.Other")),
    ("the default locale is not", sub("winget/*", rb"^DefaultLocale: .*", b"DefaultLocale: en-GB")),
    ("winget: Publisher is", sub("winget/*", rb"^Publisher: .*", b"Publisher: Someone Else")),
    ("ReleaseDate", sub("winget/*", rb"^ReleaseDate: .*",  # the day in this process's zone
                        lambda _: time.strftime('ReleaseDate: "%Y-%m-%d"', time.localtime(RELEASE_TIME)).encode())),
    ("the portable file is not the exe", sub("winget/*", rb"RelativeFilePath: .*", b"RelativeFilePath: clock.exe")),
    ("the installer is not the zip", sub("winget/*", rb"-win64\.zip$", b"-arm64.zip")),
    ("winget: not the zip's hash", sub("winget/*", rb'(InstallerSha256: "?)\w{8}', rb"\1DEADBEEF")),
    ("'licence' was unexpected", sub("scoop/*", rb'"license"', b'"licence"')),
    ("scoop: version", sub("scoop/*", rb'"version": "[^"]*"', b'"version": "9.99"')),
    ("scoop: not version.h's description", sub("scoop/*", rb'"description": "', b'"description": "Clock. ')),
    ("scoop: not the zip or not its hash", sub("scoop/*", rb'("hash": ")\w{8}', rb"\1deadbeef")),
    ("scoop: bin is not the exe", sub("scoop/*", rb'"bin": "[^"]*"', b'"bin": "clock.exe"')),
    ("autoupdate does not follow the zip's name", sub("scoop/*", rb"-\$version-", b"-latest-")),
    ("autoupdate does not read SHA256SUMS", sub("scoop/*", rb'/SHA256SUMS"', b'/SHA256SUMS.txt"')),
]


@pytest.mark.parametrize("rule, plant", FAULTS, ids=[rule for rule, _ in FAULTS])
def test_the_checker_refuses_each_fault_naming_its_rule(tmp_path, rule, plant):
    dist = shutil.copytree(os.environ["TINTAVO_DIST"], tmp_path / "dist")
    plant(dist)
    found = check_dist["check"](dist, HEADER, REPO / "tools" / "release" / "schemas", RELEASE_TIME)
    assert any(rule in fault for fault in found), found
