"""Reads the built tintavo.exe (TINTAVO_EXE, else the build's): its identity resources (version block, icon,
manifest) and what its PE image promises Windows (hardening, size, imports); checks the icon generator's
output on its own."""

import pathlib
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

import pytest

import tintavo_e2e as e2e

REPO = pathlib.Path(__file__).resolve().parents[2]
ICON_GENERATOR = REPO / "windows" / "res" / "make_icon.py"

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IDI_APP = 1

VERSION_H = REPO / "windows" / "res" / "version.h"
# Each string of the version block, and the #define of version.h that it shows.
VERSION_STRINGS = {
    "CompanyName": "TINTAVO_COMPANY_NAME",
    "FileDescription": "TINTAVO_FILE_DESCRIPTION",
    "FileVersion": "TINTAVO_VERSION_STRING",
    "InternalName": "TINTAVO_INTERNAL_NAME",
    "OriginalFilename": "TINTAVO_ORIGINAL_FILENAME",
    "ProductName": "TINTAVO_PRODUCT_NAME",
    "ProductVersion": "TINTAVO_VERSION_STRING",
}

# (width, height, bits per pixel, palette entries, colour bytes, mask bytes) of each icon image.
# Rows of both bitmaps are padded to 4 bytes: a 32-pixel mask row is 4 bytes, a 16-pixel one also 4.
EXPECTED_IMAGES = sorted([
    (32, 32, 1, 2, 128, 128),
    (32, 32, 4, 16, 512, 128),
    (16, 16, 4, 16, 128, 64),
])

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}

# What the image promises Windows: ASLR (relocatable, 64-bit entropy) and no code in data pages.
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
BASE_RELOCATION_DIRECTORY = 5
MAX_EXE_BYTES = 64 * 1024

# Libraries of every Windows since 7: the exe needs nothing beside it (no C++ runtime, libgcc or
# winpthread DLL). The UCRT's api sets come with Windows 10 and as an update before it.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "comctl32.dll", "advapi32.dll",
               "shell32.dll", "ole32.dll", "oleaut32.dll", "uxtheme.dll", "dwmapi.dll", "msvcrt.dll"}
UCRT_API_SET_PREFIX = "api-ms-win-crt-"
# Calls that Windows 7 lacks: imported at load, they would keep the program from starting there. The
# program looks them up while it runs and does without them when they are absent.
NEWER_CALLS = {
    "SetDefaultDllDirectories", "AddDllDirectory",  # Windows 8; Windows 7 only with KB2533623
    "GetDpiForWindow", "GetDpiForSystem", "AdjustWindowRectExForDpi", "GetSystemMetricsForDpi",
    "SystemParametersInfoForDpi", "EnableNonClientDpiScaling", "SetThreadDpiAwarenessContext",
    "SetProcessDpiAwarenessContext", "GetDpiForMonitor", "SetProcessDpiAwareness",
    "RegisterSuspendResumeNotification", "UnregisterSuspendResumeNotification",
    # Older, but looked up too, so that the exe loads wherever one is missing (wtsapi32 is not imported).
    "RegisterPowerSettingNotification", "UnregisterPowerSettingNotification",
    "WTSRegisterSessionNotification", "WTSUnRegisterSessionNotification",
}


def describe_image(blob):
    """Checks one icon image's layout and returns (width, height, bpp, palette, colour bytes, mask bytes)
    together with a function giving (color index, mask bit) at (x, y), y counted from the top."""
    (size, width, double_height, planes, bpp, compression) = struct.unpack_from("<IiiHHI", blob)
    assert size == 40, "icon image does not start with a BITMAPINFOHEADER"
    assert double_height == 2 * width, "icon bitmap height must be twice the width (colour + mask)"
    assert planes == 1 and compression == 0
    height = width
    colors = 1 << bpp
    color_row = (width * bpp + 31) // 32 * 4
    mask_row = (width + 31) // 32 * 4
    color_bytes, mask_bytes = color_row * height, mask_row * height
    assert len(blob) == 40 + 4 * colors + color_bytes + mask_bytes, "icon image size does not add up"
    color_at = 40 + 4 * colors
    mask_at = color_at + color_bytes

    def pixel(x, y):
        row = height - 1 - y  # bottom row first
        c = blob[color_at + row * color_row + x * bpp // 8]
        index = (c >> (8 - bpp - (x * bpp) % 8)) & ((1 << bpp) - 1)
        m = blob[mask_at + row * mask_row + x // 8]
        return index, (m >> (7 - x % 8)) & 1

    return (width, height, bpp, colors, color_bytes, mask_bytes), pixel


def check_face_outline(pixel, width):
    """The corners show the screen through (mask set, colour 0); the middle is drawn."""
    last = width - 1
    for x, y in [(0, 0), (last, 0), (0, last), (last, last)]:
        assert pixel(x, y) == (0, 1), f"corner {(x, y)} of the {width}px image is not transparent"
    assert pixel(width // 2, width // 2)[1] == 0, f"middle of the {width}px image is transparent"


# --- the built exe ------------------------------------------------------------------------------------

@pytest.fixture(scope="module")
def pe():
    if not e2e.exe_path().is_file():
        pytest.fail(f"{e2e.exe_path()} is missing: build it first (scripts/build.sh)")
    import pefile

    return pefile.PE(str(e2e.exe_path()))


def resources(pe, type_id):
    """{resource id: bytes} for every resource of one type, first language of each."""
    assert hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"), "tintavo.exe has no resources: is tintavo_resources linked?"
    out = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if t.id == type_id:
            for entry in t.directory.entries:
                lang = entry.directory.entries[0]
                out[entry.id] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
    return out


class TestVersionBlock:
    def strings(self, pe):
        assert list(resources(pe, RT_VERSION)) == [1], "expected one version block"
        tables = [st for fi in pe.FileInfo[0] if hasattr(fi, "StringTable") for st in fi.StringTable]
        assert len(tables) == 1, "expected one string table"
        assert tables[0].LangID.upper() == b"040904B0"
        return {k.decode(): v.decode() for k, v in tables[0].entries.items()}

    def test_strings_and_fixed_versions_are_those_of_version_h(self, pe):
        text = VERSION_H.read_text()
        defines = dict(re.findall(r'^#define (TINTAVO_\w+) "([^"]*)"$', text, re.M))
        assert self.strings(pe) == {key: defines[name] for key, name in VERSION_STRINGS.items()}
        major, minor, patch, build = (int(re.search(rf"^#define TINTAVO_VERSION_{part} (\d+)$", text, re.M)[1])
                                      for part in ("MAJOR", "MINOR", "PATCH", "BUILD"))
        fixed = pe.VS_FIXEDFILEINFO[0]
        numbers = (major << 16 | minor, patch << 16 | build)
        assert (fixed.FileVersionMS, fixed.FileVersionLS) == (fixed.ProductVersionMS, fixed.ProductVersionLS) == numbers


class TestIcon:
    def test_group_holds_the_three_images(self, pe):
        groups = resources(pe, RT_GROUP_ICON)
        assert list(groups) == [IDI_APP], "the application icon should be the only icon group, id 1"
        icons = resources(pe, RT_ICON)
        group = groups[IDI_APP]
        reserved, kind, count = struct.unpack_from("<HHH", group)
        assert (reserved, kind, count) == (0, 1, 3)
        found = []
        for i in range(count):
            w, h, ncolors, _, planes, bpp, nbytes, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            blob = icons[icon_id]
            layout, pixel = describe_image(blob)
            # The shell picks an image by the group's entry, so it must tell the truth about the image.
            assert (w, h, ncolors, planes, bpp, nbytes) == (layout[0], layout[1], layout[3], 1, layout[2], len(blob))
            check_face_outline(pixel, layout[0])
            found.append(layout)
        assert sorted(found) == EXPECTED_IMAGES


class TestManifest:
    NS = {
        "v1": "urn:schemas-microsoft-com:asm.v1",
        "v3": "urn:schemas-microsoft-com:asm.v3",
        "compat": "urn:schemas-microsoft-com:compatibility.v1",
    }

    def manifest(self, pe):
        manifests = resources(pe, RT_MANIFEST)
        assert 1 in manifests, "expected the process manifest (id 1)"
        return ET.fromstring(manifests[1])

    def test_runs_as_invoker(self, pe):
        levels = self.manifest(pe).findall(".//v3:requestedExecutionLevel", self.NS)
        assert [e.get("level") for e in levels] == ["asInvoker"]

    def test_uses_common_controls_6_in_the_color_dialog_only(self, pe):
        # The process manifest loads nothing at start; the dialog's own manifest (IDR_DIALOG_MANIFEST,
        # activated around the dialog) asks for Common Controls 6.
        dialog_manifest = 101
        manifests = resources(pe, RT_MANIFEST)
        assert sorted(manifests) == [1, dialog_manifest]
        dependency = "v1:dependency/v1:dependentAssembly/v1:assemblyIdentity"
        assert self.manifest(pe).findall(dependency, self.NS) == []
        deps = ET.fromstring(manifests[dialog_manifest]).findall(dependency, self.NS)
        assert [(d.get("name"), d.get("version"), d.get("processorArchitecture")) for d in deps] == [
            ("Microsoft.Windows.Common-Controls", "6.0.0.0", "*")
        ]

    def test_lists_supported_systems_and_declares_per_monitor_dpi_awareness(self, pe):
        root = self.manifest(pe)
        ids = {e.get("Id") for e in root.findall(".//compat:supportedOS", self.NS)}
        assert ids == SUPPORTED_OS
        settings = root.find("v3:application/v3:windowsSettings", self.NS)
        assert settings is not None, "no windowsSettings"
        by_tag = {e.tag: (e.text or "").strip() for e in settings}
        # Windows 10 from 1607 reads dpiAwareness, the first mode it knows: 1607 does not know PerMonitorV2
        # and needs the fallback (it ignores dpiAware then). Earlier systems read dpiAware (system aware).
        modes = by_tag.get("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness", "").split(",")
        assert [m.strip().lower() for m in modes] == ["permonitorv2", "system"]
        assert by_tag.get("{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware") == "true"


class TestImage:
    def test_is_hardened_stripped_and_small(self, pe):
        flags = pe.OPTIONAL_HEADER.DllCharacteristics
        for name, bit in [("DYNAMIC_BASE", DYNAMIC_BASE), ("HIGH_ENTROPY_VA", HIGH_ENTROPY_VA),
                          ("NX_COMPAT", NX_COMPAT)]:
            assert flags & bit, f"DllCharacteristics {flags:#06x} lacks {name}"
        # Windows moves an image only when it carries its base relocations.
        assert not pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED
        assert pe.OPTIONAL_HEADER.DATA_DIRECTORY[BASE_RELOCATION_DIRECTORY].Size > 0, "no .reloc section"
        assert (pe.FILE_HEADER.PointerToSymbolTable, pe.FILE_HEADER.NumberOfSymbols) == (0, 0), "not stripped"
        size = e2e.exe_path().stat().st_size
        assert size <= MAX_EXE_BYTES, f"tintavo.exe is {size} bytes"

    def test_imports_only_system_libraries_and_nothing_newer_than_windows_7(self, pe):
        imports = {entry.dll.decode().lower(): {i.name.decode() for i in entry.imports if i.name}
                   for entry in pe.DIRECTORY_ENTRY_IMPORT}
        assert {"kernel32.dll", "user32.dll"} <= imports.keys(), "the import table was not read"
        foreign = sorted(d for d in imports if d not in SYSTEM_DLLS and not d.startswith(UCRT_API_SET_PREFIX))
        assert foreign == [], "these libraries would have to be shipped or installed"
        bound = sorted(name for names in imports.values() for name in names & NEWER_CALLS)
        assert bound == [], "imported at load: the program would not start on Windows 7"


# --- the icon generator alone ----------------------------------------------------------------------------

class TestIconGenerator:
    def make(self, path):
        subprocess.run([sys.executable, str(ICON_GENERATOR), str(path)], check=True)
        return path.read_bytes()

    def test_writes_three_images_with_masks_the_same_every_run(self, tmp_path):
        data = self.make(tmp_path / "a.ico")
        assert self.make(tmp_path / "b.ico") == data, "two runs gave different icons"
        reserved, kind, count = struct.unpack_from("<HHH", data)
        assert (reserved, kind, count) == (0, 1, 3)
        found = []
        end = 6 + 16 * count
        for i in range(count):
            w, h, ncolors, _, planes, bpp, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            assert offset == end, "images should follow the directory back to back"
            blob = data[offset : offset + nbytes]
            layout, pixel = describe_image(blob)
            assert (w, h, ncolors, planes, bpp) == (layout[0], layout[1], layout[3], 1, layout[2])
            check_face_outline(pixel, layout[0])
            found.append(layout)
            end = offset + nbytes
        assert end == len(data)
        assert sorted(found) == EXPECTED_IMAGES
