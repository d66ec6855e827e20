#!/usr/bin/env python3
"""Checks the release folder that scripts/release.sh writes (dist/), for scripts/check-release.sh.

- The zip holds the signed exe, ReadMe.txt and License.txt, the texts with Windows line endings.
- The exe's version block names the version, publisher and product of windows/res/version.h.
- The winget and Scoop manifests pass the package managers' own JSON schemas (schemas/ beside it), read with
  one addition: every field of an object must be one its schema names, since winget's schemas leave
  their objects open and a misspelt optional field would pass them.
- What no schema can know: the manifests name the zip's hash, the version and names of version.h, and
  winget's release date is the day of the release time (SOURCE_DATE_EPOCH), not of the clock.

Usage: check_dist.py DIST --header VERSION_H --schemas DIR --time SECONDS
Prints each fault found and exits 1 if there was any.
"""

import argparse
import hashlib
import json
import pathlib
import re
import sys
import time
import zipfile

import jsonschema
import pefile
import yaml

WINGET_SCHEMA_VERSION = "1.12.0"


class Yaml12Loader(yaml.SafeLoader):
    """YAML 1.2's core schema, as winget reads its manifests: a quoted 1.00 stays text, and so do yes, no,
    on, off and dates, which YAML 1.1 would turn into other types."""


Yaml12Loader.yaml_implicit_resolvers = {}
for _tag, _pattern, _first in (
        ("null", r"~|null|Null|NULL|", ["~", "n", "N", ""]),
        ("bool", r"true|True|TRUE|false|False|FALSE", list("tTfF")),
        ("int", r"[-+]?[0-9]+|0x[0-9a-fA-F]+", list("-+0123456789")),
        ("float", r"[-+]?(?:\.[0-9]+|[0-9]+(?:\.[0-9]*)?)(?:[eE][-+]?[0-9]+)?|[-+]?\.(?:inf|Inf|INF)|\.(?:nan|NaN|NAN)",
         list("-+.0123456789"))):
    Yaml12Loader.add_implicit_resolver(f"tag:yaml.org,2002:{_tag}", re.compile(f"^(?:{_pattern})$"), _first)


def _closed_properties(validator, properties, instance, schema):
    yield from jsonschema.Draft7Validator.VALIDATORS["properties"](validator, properties, instance, schema)
    if (validator.is_type(instance, "object") and "additionalProperties" not in schema
            and "patternProperties" not in schema):
        for name in instance:
            if name not in properties:
                yield jsonschema.ValidationError(f"{name!r} is not a field the schema names")


ClosedValidator = jsonschema.validators.extend(jsonschema.Draft7Validator, {"properties": _closed_properties})


def schema_faults(document, schema_path):
    schema = json.loads(schema_path.read_text(encoding="utf-8"))
    validator = ClosedValidator(schema, format_checker=jsonschema.draft7_format_checker)
    return [f"{'/'.join(map(str, error.absolute_path)) or '(top)'}: {error.message}"
            for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path)))]


def read_header(path):
    """{name: value} of the header's string #defines."""
    return dict(re.findall(r'^#define\s+(\w+)\s+"([^"\\]*)"\s*$', path.read_text(), re.MULTILINE))


def version_block(exe):
    pe = pefile.PE(str(exe))
    return {key.decode(): value.decode() for info in pe.FileInfo[0] if hasattr(info, "StringTable")
            for key, value in info.StringTable[0].entries.items()}


def check(dist, header, schemas, release_time):
    faults = []

    def expect(condition, fault):
        if not condition:
            faults.append(fault)

    [archive] = dist.glob("*.zip")
    with zipfile.ZipFile(archive) as z:
        expect(z.namelist() == ["tintavo.exe", "ReadMe.txt", "License.txt"], f"zip holds {z.namelist()}")
        expect(z.read("tintavo.exe") == (dist / "tintavo.exe").read_bytes(), "the zip does not hold the signed exe")
        for name in ("ReadMe.txt", "License.txt"):
            text = z.read(name)
            expect(text.count(b"\r\n") == text.count(b"\n") > 0, f"{name} does not have CRLF line endings")

    version = header["TINTAVO_VERSION_STRING"]
    names = {"Publisher": header["TINTAVO_COMPANY_NAME"], "PackageName": header["TINTAVO_PRODUCT_NAME"],
             "ShortDescription": header["TINTAVO_FILE_DESCRIPTION"]}
    block = version_block(dist / "tintavo.exe")
    expect((block.get("ProductVersion"), block.get("CompanyName"), block.get("ProductName"))
           == (version, names["Publisher"], names["PackageName"]),
           f"the exe's version block {block} is not version.h's")
    digest = hashlib.sha256(archive.read_bytes()).hexdigest()

    winget = {}
    for path in sorted((dist / "winget").glob("*.yaml")):
        text = path.read_text(encoding="utf-8")
        manifest = yaml.load(text, Loader=Yaml12Loader)
        kind = manifest.get("ManifestType")
        schema = schemas / f"manifest.{kind}.{WINGET_SCHEMA_VERSION}.json"
        if not schema.is_file():
            faults.append(f"winget/{path.name}: no schema for ManifestType {kind!r}")
            continue
        faults += [f"winget/{path.name}: {fault}" for fault in schema_faults(manifest, schema)]
        line = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{WINGET_SCHEMA_VERSION}.schema.json\n"
        expect(text.startswith(line), f"winget/{path.name}: not the schema line first")
        expect((manifest.get("ManifestVersion"), manifest.get("PackageVersion")) == (WINGET_SCHEMA_VERSION, version),
               f"winget/{path.name}: not manifest {WINGET_SCHEMA_VERSION} of version {version}")
        expect(path.name.startswith(f"{manifest.get('PackageIdentifier')}."),
               f"winget/{path.name}: not named for its package")
        winget[kind] = manifest
    expect(sorted(winget) == ["defaultLocale", "installer", "version"], f"winget manifests {sorted(winget)}")
    expect(len({m.get("PackageIdentifier") for m in winget.values()}) == 1, "winget: package identifiers differ")
    locale, installer = winget.get("defaultLocale", {}), winget.get("installer", {})
    expect(locale.get("PackageLocale") == winget.get("version", {}).get("DefaultLocale"),
           "winget: the default locale is not the locale manifest's")
    for field, value in names.items():
        expect(locale.get(field) == value, f"winget: {field} is {locale.get(field)!r}, not {value!r}")
    release_day = time.strftime("%Y-%m-%d", time.gmtime(release_time))
    expect(installer.get("ReleaseDate") == release_day,
           f"winget: ReleaseDate {installer.get('ReleaseDate')!r} is not the day of the release time, {release_day}")
    nested = installer.get("NestedInstallerFiles") or [{}]
    expect(nested[0].get("RelativeFilePath") == header["TINTAVO_ORIGINAL_FILENAME"],
           "winget: the portable file is not the exe")
    x64 = (installer.get("Installers") or [{}])[0]
    expect(str(x64.get("InstallerUrl")).endswith("/" + archive.name), "winget: the installer is not the zip")
    expect(x64.get("InstallerSha256") == digest.upper(), "winget: not the zip's hash")

    scoop_path = dist / "scoop" / "tintavo.json"
    scoop = json.loads(scoop_path.read_text(encoding="utf-8"))
    faults += [f"scoop/{scoop_path.name}: {fault}" for fault in schema_faults(scoop, schemas / "scoop.schema.json")]
    expect(scoop.get("version") == version, f"scoop: version {scoop.get('version')!r}, not {version!r}")
    expect(scoop.get("description") == names["ShortDescription"], "scoop: not version.h's description")
    x64 = scoop.get("architecture", {}).get("64bit", {})
    url = str(x64.get("url"))
    expect(url.endswith("/" + archive.name) and x64.get("hash") == digest, "scoop: not the zip or not its hash")
    expect(scoop.get("bin") == header["TINTAVO_ORIGINAL_FILENAME"], "scoop: bin is not the exe")
    update = scoop.get("autoupdate", {})
    folder = url.replace(version, "$version").rsplit("/", 1)[0]
    expect(update.get("architecture", {}).get("64bit", {}).get("url") == url.replace(version, "$version"),
           "scoop: autoupdate does not follow the zip's name")
    expect(update.get("hash", {}).get("url") == folder + "/SHA256SUMS", "scoop: autoupdate does not read SHA256SUMS")
    return faults


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dist", type=pathlib.Path)
    parser.add_argument("--header", type=pathlib.Path, required=True)
    parser.add_argument("--schemas", type=pathlib.Path, required=True)
    parser.add_argument("--time", type=int, required=True, help="release time, seconds since 1970")
    args = parser.parse_args(argv[1:])
    faults = check(args.dist, read_header(args.header), args.schemas, args.time)
    for fault in faults:
        print(f"check_dist: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
