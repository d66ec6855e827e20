#!/usr/bin/env python3
"""Writes the package manager manifests of a release zip: OUT/winget/ (the version, default locale and
installer manifests of a portable app in a zip) and OUT/scoop/tintavo.json.

Version, publisher, product name and description come from the exe's version header, the licence and
copyright from LICENSE, the hash from the zip itself. URL is where the release's files are downloaded
from, with {version} standing for the version.

Usage: make_manifests.py --header VERSION_H --licence LICENSE --zip ZIP --time SECONDS --url URL
                         --homepage URL --out DIR
"""

import argparse
import hashlib
import json
import pathlib
import re
import sys
import time

# The package's name in the winget repository. It stays when the publisher's display name changes.
WINGET_ID = "Quorvin.Tintavo"
WINGET_SCHEMA = "1.12.0"
LOCALE = "en-US"


def read_header(path):
    """{name: value} of the header's string #defines."""
    pattern = re.compile(r'^#define\s+(\w+)\s+"((?:[^"\\]|\\.)*)"\s*$', re.MULTILINE)
    return {name: re.sub(r"\\(.)", r"\1", value) for name, value in pattern.findall(path.read_text())}


def read_licence(path):
    """(SPDX-style name from the first line, the copyright line)."""
    lines = path.read_text(encoding="utf-8").splitlines()
    name = lines[0].removesuffix(" License").strip()
    copyright_line = next(line.strip() for line in lines if line.startswith("Copyright"))
    return name, copyright_line


PLAIN_YAML = re.compile(r"[A-Za-z][\w .,/()+-]*(?:://[\w.,/()+-]+)?")
YAML_WORDS = {"y", "n", "yes", "no", "true", "false", "on", "off", "null"}


def scalar(value, quoted=False):
    """A YAML string: plain where YAML cannot read it as anything else, else a JSON string, which YAML
    reads as a double-quoted scalar (so that a version such as 1.00 stays text)."""
    plain = PLAIN_YAML.fullmatch(value) and value == value.rstrip() and value.lower() not in YAML_WORDS
    return value if plain and not quoted else json.dumps(value)


def yaml_file(kind, fields):
    """A winget manifest: the schema line, then one `key: value` per field, lists of mappings as block
    sequences."""
    schema = f"https://aka.ms/winget-manifest.{kind}.{WINGET_SCHEMA}.schema.json"
    out = [f"# yaml-language-server: $schema={schema}", ""]
    for key, value in fields:
        if isinstance(value, list):
            out.append(f"{key}:")
            for item in value:
                for i, (k, v) in enumerate(item.items()):
                    out.append(f"{'- ' if i == 0 else '  '}{k}: {scalar(v)}")
        else:
            out.append(f"{key}: {scalar(value, quoted=key == 'PackageVersion')}")
    return "\n".join(out) + "\n"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("header", "licence", "zip", "out"):
        parser.add_argument(f"--{name}", type=pathlib.Path, required=True)
    parser.add_argument("--time", type=int, required=True, help="release time, seconds since 1970")
    parser.add_argument("--url", required=True, help="download folder of the release; {version} is filled in")
    parser.add_argument("--homepage", required=True)
    args = parser.parse_args(argv[1:])

    header = read_header(args.header)
    version = header["TINTAVO_VERSION_STRING"]
    licence, copyright_line = read_licence(args.licence)
    sha256 = hashlib.sha256(args.zip.read_bytes()).hexdigest()
    if args.zip.name.count(version) != 1:
        sys.exit(f"{args.zip.name} is not the zip of version {version}")
    # Scoop's autoupdate and checkver see the same names with the version left open.
    name_before, name_after = args.zip.name.split(version)
    folder = args.url.rstrip("/")
    zip_url = f"{folder.replace('{version}', version)}/{args.zip.name}"
    folder_template = folder.replace("{version}", "$version")

    identity = [("PackageIdentifier", WINGET_ID), ("PackageVersion", version)]
    winget = {
        f"{WINGET_ID}.yaml": yaml_file("version", identity + [
            ("DefaultLocale", LOCALE),
            ("ManifestType", "version"),
            ("ManifestVersion", WINGET_SCHEMA),
        ]),
        f"{WINGET_ID}.locale.{LOCALE}.yaml": yaml_file("defaultLocale", identity + [
            ("PackageLocale", LOCALE),
            ("Publisher", header["TINTAVO_COMPANY_NAME"]),
            ("PublisherUrl", args.homepage),
            ("PackageName", header["TINTAVO_PRODUCT_NAME"]),
            ("PackageUrl", args.homepage),
            ("License", licence),
            ("Copyright", copyright_line),
            ("ShortDescription", header["TINTAVO_FILE_DESCRIPTION"]),
            ("ManifestType", "defaultLocale"),
            ("ManifestVersion", WINGET_SCHEMA),
        ]),
        f"{WINGET_ID}.installer.yaml": yaml_file("installer", identity + [
            ("InstallerType", "zip"),
            ("NestedInstallerType", "portable"),
            ("NestedInstallerFiles", [{"RelativeFilePath": header["TINTAVO_ORIGINAL_FILENAME"],
                                       "PortableCommandAlias": header["TINTAVO_INTERNAL_NAME"]}]),
            ("ReleaseDate", time.strftime("%Y-%m-%d", time.gmtime(args.time))),
            ("Installers", [{"Architecture": "x64", "InstallerUrl": zip_url,
                             "InstallerSha256": sha256.upper()}]),
            ("ManifestType", "installer"),
            ("ManifestVersion", WINGET_SCHEMA),
        ]),
    }

    exe = header["TINTAVO_ORIGINAL_FILENAME"]
    scoop = {
        "version": version,
        "description": header["TINTAVO_FILE_DESCRIPTION"],
        "homepage": args.homepage,
        "license": licence,
        "architecture": {"64bit": {"url": zip_url, "hash": sha256}},
        "bin": exe,
        "shortcuts": [[exe, "Tintavo"]],
        "checkver": {"url": args.homepage, "regex": re.escape(name_before) + r"([\d.]+)" + re.escape(name_after)},
        "autoupdate": {
            "architecture": {"64bit": {"url": f"{folder_template}/{name_before}$version{name_after}"}},
            "hash": {"url": f"{folder_template}/SHA256SUMS"},
        },
    }

    (args.out / "winget").mkdir(parents=True, exist_ok=True)
    for name, text in winget.items():
        (args.out / "winget" / name).write_text(text, encoding="utf-8", newline="\n")
    (args.out / "scoop").mkdir(exist_ok=True)
    (args.out / "scoop" / "tintavo.json").write_text(json.dumps(scoop, indent=4) + "\n", encoding="utf-8",
                                                      newline="\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
