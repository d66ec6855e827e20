#!/usr/bin/env bash
# Installs the Debian packages the build, the static analysis, the Wine runs, the end-to-end tests and the
# release need; quick when all are there. The scripts a user starts run it and set TINTAVO_SET_UP for the
# scripts they start in turn, which then leave it out.
set -euo pipefail

packages=(
    cmake g++ libgtest-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 fonts-wine fonts-liberation
    xvfb openbox xdotool x11-utils x11-apps
    python3-pil python3-pefile python3-pytest python3-yaml python3-jsonschema pyflakes3
    clang-tidy clang-tools cppcheck libbenchmark-dev
    osslsigncode openssl
)
# Node.js runs the workflow linter (scripts/lint.sh installs it with npm); one already there will do.
command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if ((EUID != 0)); then
    sudo_cmd=(sudo)
fi
# wine64 alone runs the 64-bit exe; no i386 architecture is needed.
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
