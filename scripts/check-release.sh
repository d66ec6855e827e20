#!/usr/bin/env bash
# Checks that the release is reproducible and its signature sound: runs scripts/release.sh in two copies
# of the tree at different paths, one after the other, under different time zones and umasks, both signed
# with a throwaway certificate made for this run. Fails unless the two dist/ folders hold the same bytes;
# the signature verifies against the throwaway root; removing it gives back the other build's unsigned
# exe; attaching the published signature to that exe gives the signed one; a changed byte breaks it; the
# sums check; tools/release/check_dist.py finds the zip, the exe's version block and the winget and Scoop
# manifests sound (their schemas, the zip's hash, version.h's version and names, the release date), and
# its own tests (tests/release/) see it refuse faulty copies; the second copy, tagged v plus the version
# on its commit, is released; and a tag that is not the version is refused.
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

version=$(sed -n 's/^#define TINTAVO_VERSION_STRING "\([^"]*\)".*/\1/p' windows/res/version.h)
# The release time a day before the commit's: with the commit's own, mostly today's, a date that the
# release took from the clock instead would agree with it and go unseen.
export SOURCE_DATE_EPOCH=$(($(git log -1 --format=%ct) - 86400))
unset TINTAVO_RELEASE_TAG

# The second copy builds in another time zone and with another umask: zip times taken from local time, or
# modes taken from the disk, would make the two differ. Its zone is a day from UTC at the release time
# (UTC-12 before noon UTC, UTC+12 from noon), so that a date taken from local time differs too. It is also
# tagged v plus the version on its commit, which the release must take.
far_zone=XXX-12
if (($(date -u -d "@$SOURCE_DATE_EPOCH" +%-H) < 12)); then far_zone=XXX+12; fi
a=$workdir/a/tintavo
b=$workdir/second/tree
for copy in "$a" "$b"; do
    if [[ $copy == "$a" ]]; then zone=UTC0 mask=022 log=a.log; else zone=$far_zone mask=077 log=b.log; fi
    (
        umask "$mask"
        mkdir -p "$copy"
        # The working tree's files as they are (not the build folders, which may be busy), in a repository
        # of their own at this commit, so that a tag made there stays there.
        git ls-files -z --cached --others --exclude-standard |
            tar -C "$repo" -c --null -T - --ignore-failed-read | tar -C "$copy" -x
        cd "$copy"
        git init -q
        git fetch -q --depth=1 "file://$repo" HEAD
        git update-ref HEAD FETCH_HEAD
        git read-tree HEAD
        [[ $copy == "$a" ]] || git tag "v$version"
        TZ=$zone scripts/release.sh
    ) | tee "$workdir/$log" || fail "the release in $copy failed (above)"
done
grep -qx "release: tag v$version is version $version" "$workdir/b.log" || fail "release.sh did not take the tag v$version"
diff -r "$a/dist" "$b/dist" || fail "the two releases differ (above)"
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
/usr/bin/python3 tools/release/change_code_byte.py "$signed" "$sig/changed.exe"
if osslsigncode verify -CAfile "$keys/root.pem" -in "$sig/changed.exe" >/dev/null 2>&1; then
    fail "the signature still verifies with a byte of code changed"
fi

/usr/bin/python3 tools/release/check_dist.py "$a/dist" --header windows/res/version.h \
    --schemas tools/release/schemas --time "$SOURCE_DATE_EPOCH" ||
    fail "the release's files or manifests are not sound (above)"
# The checker itself, on copies of this release: each of its rules refusing a copy with its fault planted.
TINTAVO_DIST=$a/dist /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/release ||
    fail "the release checker's own tests failed (above)"

# A tag that does not name the version stops the release before it builds anything.
if (cd "$a" && TINTAVO_RELEASE_TAG=v0.0-not-this-version scripts/release.sh >"$workdir/tag.log" 2>&1); then
    fail "release.sh made a release under a tag that is not its version"
fi
grep -q "is not version" "$workdir/tag.log" || { cat "$workdir/tag.log" >&2; fail "release.sh failed otherwise"; }
echo "check-release: the two builds are identical, signed soundly, with sound manifests; the tag v$version taken, another refused ($SECONDS s)"
