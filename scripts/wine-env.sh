# Shell functions (source this file) for a Wine prefix and a virtual X display to run tintavo.exe in.
#
#   tintavo_wine_env PREFIX [DISPLAY]   export WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES (and DISPLAY)
#   tintavo_make_prefix PREFIX          create the prefix once (fonts and the font replacement included)
#   tintavo_start_display               start Xvfb and openbox on a free display; sets and exports DISPLAY
#   tintavo_stop_display                stop what tintavo_start_display started
#   tintavo_display_works [DISPLAY]     true when an X server answers on the display
#   tintavo_stop_wine                   end every Wine process of $WINEPREFIX

TINTAVO_SCREEN=${TINTAVO_SCREEN:-1280x1024x24}
# Bumped when the prefix setup below changes, so that kept prefixes get rebuilt.
TINTAVO_PREFIX_VERSION=2

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

tintavo_display_works() {
    local display=${1:-${DISPLAY:-}}
    [[ -n $display ]] && DISPLAY=$display xdpyinfo >/dev/null 2>&1
}

# Creates a 64-bit prefix at $1 unless a finished one is already there. Windows fonts from the
# fonts-wine package go into C:\windows\Fonts (Tahoma for dialogs, Marlett for the caption buttons),
# and "Times New Roman" is mapped to Liberation Serif, which has its metrics.
tintavo_make_prefix() {
    local prefix=$1
    local stamp=$prefix/.tintavo-prefix
    if [[ -f $stamp && $(<"$stamp") == "$TINTAVO_PREFIX_VERSION" ]]; then
        return 0
    fi
    if [[ -e $prefix && ! -f $prefix/system.reg && -n $(ls -A "$prefix" 2>/dev/null) ]]; then
        echo "wine-env: $prefix exists and is not a Wine prefix; not touching it" >&2
        return 1
    fi
    echo "wine-env: creating the Wine prefix $prefix" >&2
    (
        tintavo_wine_env "$prefix"
        rm -rf "$prefix" && mkdir -p "$prefix" || exit 1
        wineboot -i >/dev/null 2>&1 || exit 1
        wineserver -w
        local fonts=$prefix/drive_c/windows/Fonts
        mkdir -p "$fonts" || exit 1
        cp -n /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts"/ || exit 1
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' \
            /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1 || exit 1
        wineserver -w
        grep -q '"Times New Roman"="Liberation Serif"' "$prefix/user.reg" || exit 1
        echo "$TINTAVO_PREFIX_VERSION" >"$prefix/.tintavo-prefix"
    ) || {
        echo "wine-env: could not create the Wine prefix $prefix" >&2
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
