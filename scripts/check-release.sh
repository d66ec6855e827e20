#!/usr/bin/env bash
# Checks that the release is reproducible and its signature sound: runs scripts/release.sh in two copies
# of the tree at different paths, one after the other, under different time zones and umasks, both signed
# with a throwaway certificate made for this run. Fails unless the two dist/ folders hold the same bytes;
# the signature verifies against the throwaway root; removing it gives back the other build's unsigned
# exe; attaching the published signature to that exe gives the signed one; a changed byte breaks it; the
# sums check; the zip holds the signed exe and the two texts with Windows line endings; and the winget
# and Scoop manifests name the zip's hash and the exe's version.
#   scripts/check-release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh
export TINTAVO_SET_UP=1 # the scripts started below need not check again

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-release.XXXXXX")
trap 'rm -rf "$workdir"' EXIT
fail() {
    echo "check-release: $*" >&2
    exit 1
}

# A root certificate and a code-signing certificate signed by it, only for this run: the key goes with
# $workdir.
keys=$workdir/keys
mkdir -m 700 "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tintavo throwaway root" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$keys/root.key" -out "$keys/root.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Tintavo throwaway signer" \
    -keyout "$keys/signer.key" -out "$keys/signer.csr" 2>/dev/null
printf '%s\n' basicConstraints=critical,CA:FALSE keyUsage=critical,digitalSignature \
    extendedKeyUsage=codeSigning >"$keys/signer.ext"
openssl x509 -req -in "$keys/signer.csr" -CA "$keys/root.pem" -CAkey "$keys/root.key" -set_serial 1 -days 2 \
    -extfile "$keys/signer.ext" -out "$keys/signer.pem" 2>/dev/null
TINTAVO_SIGN_PASSWORD=$(openssl rand -hex 16)
export TINTAVO_SIGN_PASSWORD TINTAVO_SIGN_PKCS12=$keys/signer.p12
unset TINTAVO_SIGN_PKCS11_URI TINTAVO_SIGN_TIMESTAMP_URL
openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.pem" -certfile "$keys/root.pem" \
    -passout env:TINTAVO_SIGN_PASSWORD -out "$TINTAVO_SIGN_PKCS12"

# The second copy builds in another time zone and with another umask: zip times taken from local time, or
# modes taken from the disk, would make the two differ.
a=$workdir/a/tintavo
b=$workdir/second/tree
for copy in "$a" "$b"; do
    if [[ $copy == "$a" ]]; then zone=UTC0 mask=022; else zone=XXX+11 mask=077; fi
    (
        umask "$mask"
        mkdir -p "$copy"
        # The working tree's files as they are (not the build folders, which may be busy), and .git, where
        # release.sh finds the commit's time.
        {
            git ls-files -z --cached --others --exclude-standard
            printf '.git\0'
        } | tar -C "$repo" -c --null -T - --ignore-failed-read | tar -C "$copy" -x
        cd "$copy" && TZ=$zone scripts/release.sh
    )
done

diff -r "$a/dist" "$b/dist"
(cd "$a/dist" && sha256sum -c SHA256SUMS)

signed=$a/dist/tintavo.exe
unsigned=$b/build/release/unsigned/tintavo.exe
sig=$workdir/signature
mkdir "$sig"
osslsigncode verify -CAfile "$keys/root.pem" -in "$signed" >"$sig/verify.log" 2>&1 ||
    { cat "$sig/verify.log" >&2; fail "the signed exe does not verify against its root"; }
osslsigncode remove-signature -in "$signed" -out "$sig/removed.exe" >/dev/null
cmp "$sig/removed.exe" "$unsigned" || fail "removing the signature does not give back the unsigned exe"
# Debian 12's osslsigncode takes a signature to attach as PEM only.
openssl pkcs7 -inform DER -in "$a/dist/tintavo.exe.p7s" -out "$sig/p7s.pem"
osslsigncode attach-signature -sigin "$sig/p7s.pem" -CAfile "$keys/root.pem" -in "$unsigned" \
    -out "$sig/attached.exe" >"$sig/attach.log" 2>&1 ||
    { cat "$sig/attach.log" >&2; fail "attach-signature failed"; }
cmp "$sig/attached.exe" "$signed" ||
    fail "the published signature attached to the unsigned exe does not give the signed exe"
# One byte of code changed, in the middle of the first section.
/usr/bin/python3 - "$signed" "$sig/changed.exe" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
data = bytearray(pe.__data__)
code = pe.sections[0]
data[code.PointerToRawData + code.SizeOfRawData // 2] ^= 0xFF
open(sys.argv[2], "wb").write(data)
PY
if osslsigncode verify -CAfile "$keys/root.pem" -in "$sig/changed.exe" >/dev/null 2>&1; then
    fail "the signature still verifies with a byte of code changed"
fi

/usr/bin/python3 - "$a/dist" <<'PY'
import hashlib, json, pathlib, sys, zipfile
import pefile, yaml

dist = pathlib.Path(sys.argv[1])
[archive] = dist.glob("*.zip")
z = zipfile.ZipFile(archive)
assert z.namelist() == ["tintavo.exe", "ReadMe.txt", "License.txt"], z.namelist()
assert z.read("tintavo.exe") == (dist / "tintavo.exe").read_bytes(), "the zip does not hold the signed exe"
for name in z.namelist()[1:]:
    text = z.read(name)
    assert text.count(b"\r\n") == text.count(b"\n") > 0, f"{name} does not have CRLF line endings"

# The manifests: their fields, the zip's hash, and the version and names of the exe's version block.
pe = pefile.PE(str(dist / "tintavo.exe"))
block = {k.decode(): v.decode() for fi in pe.FileInfo[0] if hasattr(fi, "StringTable")
         for k, v in fi.StringTable[0].entries.items()}
version, digest = block["ProductVersion"], hashlib.sha256(archive.read_bytes()).hexdigest()
winget = {}
for path in (dist / "winget").glob("*.yaml"):
    text = path.read_text(encoding="utf-8")
    m = yaml.safe_load(text)
    kind = m["ManifestType"]
    schema = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.1.12.0.schema.json\n"
    assert text.startswith(schema), f"{path.name}: no schema line"
    assert (m["ManifestVersion"], m["PackageVersion"]) == ("1.12.0", version), path.name
    assert path.name.startswith(m["PackageIdentifier"] + "."), path.name
    winget[kind] = m
assert sorted(winget) == ["defaultLocale", "installer", "version"], sorted(winget)
assert len({m["PackageIdentifier"] for m in winget.values()}) == 1
locale, installer = winget["defaultLocale"], winget["installer"]
assert (locale["Publisher"], locale["PackageName"]) == (block["CompanyName"], block["ProductName"])
assert locale["PackageLocale"] == winget["version"]["DefaultLocale"]
assert locale["License"] and locale["ShortDescription"]
assert (installer["InstallerType"], installer["NestedInstallerType"]) == ("zip", "portable")
[nested] = installer["NestedInstallerFiles"]
assert nested["RelativeFilePath"] == "tintavo.exe" and nested["PortableCommandAlias"]
[x64] = installer["Installers"]
assert x64["Architecture"] == "x64" and x64["InstallerUrl"].endswith("/" + archive.name)
assert x64["InstallerSha256"] == digest.upper(), "winget: not the zip's hash"

scoop = json.loads((dist / "scoop" / "tintavo.json").read_text(encoding="utf-8"))
assert scoop["version"] == version and all(scoop[k] for k in ("description", "homepage", "license", "checkver"))
url, hash_ = scoop["architecture"]["64bit"]["url"], scoop["architecture"]["64bit"]["hash"]
assert url.endswith("/" + archive.name) and hash_ == digest, "scoop: not the zip or not its hash"
assert scoop["bin"] == "tintavo.exe" and scoop["shortcuts"] == [["tintavo.exe", "Tintavo"]]
update = scoop["autoupdate"]
assert update["architecture"]["64bit"]["url"] == url.replace(version, "$version")
assert update["hash"]["url"] == url.replace(version, "$version").rsplit("/", 1)[0] + "/SHA256SUMS"
PY

# A tag that does not name the version stops the release before it builds anything.
if (cd "$a" && TINTAVO_RELEASE_TAG=v0.0-not-this-version scripts/release.sh >"$workdir/tag.log" 2>&1); then
    fail "release.sh made a release under a tag that is not its version"
fi
grep -q "is not version" "$workdir/tag.log" || { cat "$workdir/tag.log" >&2; fail "release.sh failed otherwise"; }
echo "check-release: the two builds are identical, signed soundly, with manifests (both took $SECONDS s)"
