# Shell functions (source this file) for the Wine prefixes and the virtual X display tintavo.exe runs in.
#
# One prefix policy for every run: a template prefix is made once, here alone (build/wine-template, made
# again when the setup below changes), and each run works in a copy of its own, which starts in under a
# second where making a prefix takes a quarter of a minute. No run changes the template.
#
#   tintavo_wine_env PREFIX [DISPLAY]   export the Wine variables for PREFIX (and DISPLAY)
#   tintavo_wine_vars                   print the Wine variables as NAME=VALUE lines (the e2e tests take them)
#   tintavo_new_prefix PREFIX           a prefix of the run's own at PREFIX: a copy of the template
#   tintavo_make_template               make the template unless it is there and current
#   tintavo_start_display               start Xvfb and openbox on a free display; sets and exports DISPLAY
#   tintavo_stop_display                stop what tintavo_start_display started
#   tintavo_display_works [DISPLAY]     true when an X server answers on the display
#   tintavo_stop_wine                   end every Wine process of $WINEPREFIX

TINTAVO_SCREEN=${TINTAVO_SCREEN:-1280x1024x24}
TINTAVO_WINE_TEMPLATE=${TINTAVO_WINE_TEMPLATE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine-template}
# Bumped when the prefix setup below changes, so that a kept template is made again.
TINTAVO_PREFIX_VERSION=4
TINTAVO_WINE_VARS=(WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEARCH)

tintavo_wine_env() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts, which the program does not need, and no menu entries written
    # into the user's home for the prefix's programs.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    if [[ -n ${2:-} ]]; then
        export DISPLAY=$2
    fi
}

tintavo_wine_vars() {
    local name
    for name in "${TINTAVO_WINE_VARS[@]}"; do
        printf '%s=%s\n' "$name" "${!name}"
    done
}

tintavo_display_works() {
    local display=${1:-${DISPLAY:-}}
    [[ -n $display ]] && DISPLAY=$display xdpyinfo >/dev/null 2>&1
}

tintavo_template_current() {
    [[ -f $TINTAVO_WINE_TEMPLATE/.tintavo-prefix && $(<"$TINTAVO_WINE_TEMPLATE/.tintavo-prefix") == "$TINTAVO_PREFIX_VERSION" ]]
}

# Makes the template: a 64-bit prefix with the Windows fonts of the fonts-wine package in C:\windows\Fonts
# (Tahoma for dialogs, Marlett for the caption buttons), "Times New Roman" mapped to Liberation Serif,
# which has its metrics, and no crash dialog. Made beside its place and moved there when finished, one
# maker at a time: a run that finds another making it waits for that one.
tintavo_make_template() {
    local template=$TINTAVO_WINE_TEMPLATE
    tintavo_template_current && return 0
    mkdir -p "$(dirname "$template")" || return 1
    (
        flock 9 || exit 1
        tintavo_template_current && exit 0
        echo "wine-env: making the template Wine prefix $template" >&2
        new=$template.new
        rm -rf "$new" "$template" && mkdir -p "$new" || exit 1
        tintavo_wine_env "$new"
        wineboot -i >/dev/null 2>&1 || exit 1
        wineserver -w
        fonts=$new/drive_c/windows/Fonts
        mkdir -p "$fonts" || exit 1
        cp -n /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts"/ || exit 1
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' \
            /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1 || exit 1
        # Wine's debugger, started on a crash, shows its crash dialog and waits for a person: a crashing test
        # would hang until its time-out. Without the dialog it prints the backtrace and the process ends with
        # a failure at once.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 || exit 1
        wineserver -w
        grep -q '"Times New Roman"="Liberation Serif"' "$new/user.reg" || exit 1
        grep -q '"ShowCrashDialog"=dword:00000000' "$new/user.reg" || exit 1
        echo "$TINTAVO_PREFIX_VERSION" >"$new/.tintavo-prefix"
        mv "$new" "$template"
    ) 9>"$template.lock" || {
        echo "wine-env: could not make the template Wine prefix $template" >&2
        return 1
    }
}

tintavo_new_prefix() {
    local prefix=$1
    if [[ -e $prefix && -n $(ls -A "$prefix" 2>/dev/null) ]]; then
        echo "wine-env: $prefix is not empty; not making a prefix there" >&2
        return 1
    fi
    tintavo_make_template || return 1
    [[ ! -d $prefix ]] || rmdir "$prefix" || return 1
    mkdir -p "$(dirname "$prefix")" || return 1
    # Under the template's lock, shared: no maker replaces it while it is copied.
    (
        flock -s 9 && cp -a "$TINTAVO_WINE_TEMPLATE" "$prefix"
    ) 9>"$TINTAVO_WINE_TEMPLATE.lock" || {
        echo "wine-env: could not copy the template Wine prefix to $prefix" >&2
        return 1
    }
}

tintavo_stop_wine() {
    if [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
        wineserver -k >/dev/null 2>&1 || true
        # The server writes the registry out as it goes; let it finish before the prefix is touched.
        wineserver -w >/dev/null 2>&1 || true
    fi
}

# Starts Xvfb on the first free display number (Xvfb picks it and reports it when it accepts
# connections), then openbox, and waits until openbox manages the screen.
tintavo_start_display() {
    local numfile
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$TINTAVO_SCREEN" -nolisten tcp -noreset 3>"$numfile" \
        >/dev/null 2>&1 &
    TINTAVO_XVFB_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -s $numfile ]] && break
        if ! kill -0 "$TINTAVO_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [[ ! -s $numfile ]]; then
        rm -f "$numfile"
        echo "wine-env: Xvfb did not start" >&2
        tintavo_stop_display
        return 1
    fi
    export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
    rm -f "$numfile"

    # openbox keeps a log and settings under XDG folders: give it the run's own, not the user's home.
    TINTAVO_OPENBOX_HOME=$(mktemp -d)
    XDG_CACHE_HOME=$TINTAVO_OPENBOX_HOME XDG_CONFIG_HOME=$TINTAVO_OPENBOX_HOME \
        openbox --sm-disable >/dev/null 2>&1 &
    TINTAVO_OPENBOX_PID=$!
    for ((i = 0; i < 100; i++)); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            return 0
        fi
        sleep 0.1
    done
    echo "wine-env: openbox did not start on $DISPLAY" >&2
    tintavo_stop_display
    return 1
}

tintavo_stop_display() {
    local pid
    for pid in ${TINTAVO_OPENBOX_PID:-} ${TINTAVO_XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    TINTAVO_OPENBOX_PID=
    TINTAVO_XVFB_PID=
    [[ -n ${TINTAVO_OPENBOX_HOME:-} ]] && rm -rf "$TINTAVO_OPENBOX_HOME"
    TINTAVO_OPENBOX_HOME=
}
