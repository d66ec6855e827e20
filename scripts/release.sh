#!/usr/bin/env bash
# Builds the release of tintavo.exe from scratch (the preset release: build/release, with mingw-w64) and
# packs it for Windows users into dist/: tintavo-VERSION-win64.zip (tintavo.exe, ReadMe.txt, License.txt),
# a copy of tintavo.exe, its detached signature tintavo.exe.p7s when it is signed, SHA256SUMS for these,
# and the winget (dist/winget/) and Scoop (dist/scoop/) manifests of the zip. VERSION is
# TINTAVO_VERSION_STRING of windows/res/version.h, as the exe's version block shows it.
#
# Two runs on the same sources give the same bytes, wherever the tree lies: the exe's link time, its
# signing time and the zip entries' times are SOURCE_DATE_EPOCH (by default the time of the checked-out
# commit), and the compiler maps the source and build folders out of what it writes. The unsigned exe
# (build/release/unsigned/tintavo.exe) is what removing the signature from the signed one gives back.
#
# The environment:
#   TINTAVO_SIGN_PKCS12            sign with this PKCS#12 file (certificate chain and key), or
#   TINTAVO_SIGN_PKCS11_URI        sign with this key on a PKCS#11 token (a pkcs11: URI), with
#   TINTAVO_SIGN_PKCS11_MODULE       the token's PKCS#11 module (.so) and
#   TINTAVO_SIGN_PKCS11_CERT         the certificate chain as a PEM file;
#   TINTAVO_SIGN_PASSWORD          the PKCS#12 file's password or the token's PIN;
#   TINTAVO_SIGN_TIMESTAMP_URL     an RFC 3161 time-stamping service to countersign the signature;
#   TINTAVO_RELEASE_TAG            the tag being released (default: a v* tag on the checked-out commit),
#                                  which must be v plus VERSION;
#   TINTAVO_RELEASE_URL            the download folder the manifests name, {version} standing for VERSION
#                                  (default https://tintavo.test/releases/download/v{version});
#   TINTAVO_HOMEPAGE               the homepage the manifests name (default https://tintavo.test/).
# Without a key the release is unsigned, as it says.
#   scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh
export TINTAVO_SET_UP=1 # the scripts started below need not check again

version=$(sed -n 's/^#define TINTAVO_VERSION_STRING "\([^"]*\)".*/\1/p' windows/res/version.h)
if [[ -z $version ]]; then
    echo "release: no TINTAVO_VERSION_STRING in windows/res/version.h" >&2
    exit 1
fi

# The tag being released must name the version that the exe shows.
if [[ -n ${TINTAVO_RELEASE_TAG:-} ]]; then
    tags=("$TINTAVO_RELEASE_TAG")
    if git rev-parse -q --verify "refs/tags/$TINTAVO_RELEASE_TAG" >/dev/null &&
        [[ $(git rev-parse "refs/tags/$TINTAVO_RELEASE_TAG^{commit}") != $(git rev-parse HEAD) ]]; then
        echo "release: tag $TINTAVO_RELEASE_TAG is not the checked-out commit" >&2
        exit 1
    fi
else
    mapfile -t tags < <(git tag --points-at HEAD --list 'v[0-9]*' 2>/dev/null)
fi
for tag in "${tags[@]}"; do
    if [[ $tag != "v$version" ]]; then
        echo "release: tag $tag is not version $version (TINTAVO_VERSION_STRING in windows/res/version.h)" >&2
        exit 1
    fi
    echo "release: tag $tag is version $version"
done

# The signing key, from the environment: a PKCS#12 file, or a key on a PKCS#11 token.
sign=()
if [[ -n ${TINTAVO_SIGN_PKCS12:-} && -n ${TINTAVO_SIGN_PKCS11_URI:-} ]]; then
    echo "release: TINTAVO_SIGN_PKCS12 and TINTAVO_SIGN_PKCS11_URI both set: give one key" >&2
    exit 1
elif [[ -n ${TINTAVO_SIGN_PKCS12:-} ]]; then
    [[ -r $TINTAVO_SIGN_PKCS12 ]] || { echo "release: cannot read $TINTAVO_SIGN_PKCS12" >&2; exit 1; }
    sign=(-pkcs12 "$TINTAVO_SIGN_PKCS12")
elif [[ -n ${TINTAVO_SIGN_PKCS11_URI:-} ]]; then
    if [[ ! -r ${TINTAVO_SIGN_PKCS11_MODULE:-} || ! -r ${TINTAVO_SIGN_PKCS11_CERT:-} ]]; then
        echo "release: a PKCS#11 key needs TINTAVO_SIGN_PKCS11_MODULE and TINTAVO_SIGN_PKCS11_CERT" >&2
        exit 1
    fi
    sign=(-pkcs11module "$TINTAVO_SIGN_PKCS11_MODULE" -certs "$TINTAVO_SIGN_PKCS11_CERT"
        -key "$TINTAVO_SIGN_PKCS11_URI")
fi

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
    if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || [[ -z $SOURCE_DATE_EPOCH ]]; then
        echo "release: not a git checkout: set SOURCE_DATE_EPOCH to the release time (seconds since 1970)" >&2
        exit 1
    fi
fi
export SOURCE_DATE_EPOCH # ld stamps the exe with it
if [[ -n $(git status --porcelain 2>/dev/null) ]]; then
    echo "release: warning: the tree has uncommitted changes; this is not the build of a commit" >&2
fi

build=build/release
rm -rf "$build" dist
cmake --preset release >/dev/null # build/release
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"

# Debian's Python throughout: its zlib compresses the zip, and the same bytes need the same compressor,
# as they need the same compiler.
mkdir "$build/unsigned"
/usr/bin/python3 tools/release/fix_pe_checksum.py "$build/windows/tintavo.exe" "$build/unsigned/tintavo.exe"

exe=$build/unsigned/tintavo.exe
signature=()
if ((${#sign[@]})); then
    # SHA-256, and the release time as the signing time, so that a second build signs to the same bytes
    # (unless a time-stamping service adds its countersignature, which carries the time it was asked).
    # The password goes through a pipe, never on a command line.
    password=()
    [[ -z ${TINTAVO_SIGN_PASSWORD:-} ]] || password=(-readpass /dev/stdin)
    timestamp=()
    [[ -z ${TINTAVO_SIGN_TIMESTAMP_URL:-} ]] || timestamp=(-ts "$TINTAVO_SIGN_TIMESTAMP_URL")
    mkdir "$build/signed"
    exe=$build/signed/tintavo.exe
    printf '%s' "${TINTAVO_SIGN_PASSWORD:-}" |
        osslsigncode sign "${sign[@]}" "${password[@]}" -h sha256 -time "$SOURCE_DATE_EPOCH" "${timestamp[@]}" \
            -in "$build/unsigned/tintavo.exe" -out "$exe" >/dev/null
    # The signature alone, as DER. Asked for as PEM because older osslsigncode (Debian 12's) writes its
    # own container otherwise.
    osslsigncode extract-signature -pem -in "$exe" -out "$build/signed/tintavo.exe.pem" >/dev/null
    openssl pkcs7 -in "$build/signed/tintavo.exe.pem" -outform DER -out "$build/signed/tintavo.exe.p7s"
    signature=(--signature "$build/signed/tintavo.exe.p7s")
fi

/usr/bin/python3 tools/release/make_release_zip.py --version "$version" --time "$SOURCE_DATE_EPOCH" \
    --exe "$exe" "${signature[@]}" --readme docs/ReadMe-Windows.txt --licence LICENSE --out dist
/usr/bin/python3 tools/release/make_manifests.py --header windows/res/version.h --licence LICENSE \
    --zip "dist/tintavo-$version-win64.zip" --time "$SOURCE_DATE_EPOCH" \
    --url "${TINTAVO_RELEASE_URL:-https://tintavo.test/releases/download/v{version}}" \
    --homepage "${TINTAVO_HOMEPAGE:-https://tintavo.test/}" --out dist

size=$(stat -c %s dist/tintavo.exe)
echo "release: tintavo $version, tintavo.exe $size bytes ($(((size + 1023) / 1024)) KiB)"
if ((${#sign[@]})); then
    echo "release: tintavo.exe is signed${timestamp[*]:+ and time-stamped}; its signature is dist/tintavo.exe.p7s"
else
    echo "release: tintavo.exe is NOT signed (no TINTAVO_SIGN_PKCS12 or TINTAVO_SIGN_PKCS11_URI given)"
fi
ls -lR dist
cat dist/SHA256SUMS
