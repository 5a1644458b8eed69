# Source this file: sets up a private, throwaway Wine prefix for Kestrune's
# Windows test programs and defines helpers.
#   source scripts/wine-env.sh NAME      -> prefix /tmp/kestrune-wine-NAME
# Functions: kwine (run a program), kwine_keepalive_start/_stop,
#            kxvfb_start/_stop (a private X display), kwine_stop.
# Facts behind the settings: see the project notes on Wine and mingw.

KWINE_NAME="${1:-default}"
export WINEPREFIX="${KWINE_PREFIX:-/tmp/kestrune-wine-$KWINE_NAME}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
KWINE_LOADER=/usr/lib/wine/wine64
KWINE_SERVER=/usr/lib/wine/wineserver

kwine() { "$KWINE_LOADER" "$@"; }

kwine_init() {
    if [ -f "$WINEPREFIX/.kestrune-ready" ]; then return 0; fi
    mkdir -p "$WINEPREFIX"
    "$KWINE_LOADER" wineboot -i >/dev/null 2>&1
    "$KWINE_SERVER" -w
    local reg="$WINEPREFIX/kestrune-settings.reg"
    # No crash dialog (it would hang a test for ever); a virtual desktop with a
    # tray, and unmanaged windows, so dialogs close at once and keys arrive.
    cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    "$KWINE_LOADER" regedit "$reg" >/dev/null 2>&1
    "$KWINE_SERVER" -k 2>/dev/null; "$KWINE_SERVER" -w
    # Wine does not look in its own font folder; without these, captions are boxes.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    for f in /usr/share/wine/fonts/*; do
        [ -e "$f" ] && ln -sf "$f" "$fonts/$(basename "$f")"
    done
    touch "$WINEPREFIX/.kestrune-ready"
}

# One long-lived Wine process keeps Wine's helpers alive between test
# programs; without it every program start waits seconds for them.
kwine_keepalive_start() {
    setsid sh -c "sleep 100000 | '$KWINE_LOADER' cmd.exe" </dev/null >/dev/null 2>&1 &
    KWINE_KEEPALIVE_PID=$!
}

kwine_keepalive_stop() {
    if [ -n "${KWINE_KEEPALIVE_PID:-}" ]; then
        kill -- "-$KWINE_KEEPALIVE_PID" 2>/dev/null
        KWINE_KEEPALIVE_PID=
    fi
}

kxvfb_start() {
    local dfile
    dfile=$(mktemp)
    ( exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dfile" >/dev/null 2>&1 ) &
    KXVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$dfile" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$dfile")"
    rm -f "$dfile"
}

kxvfb_stop() {
    if [ -n "${KXVFB_PID:-}" ]; then
        kill "$KXVFB_PID" 2>/dev/null
        wait "$KXVFB_PID" 2>/dev/null
        KXVFB_PID=
    fi
}

kwine_stop() {
    kwine_keepalive_stop
    "$KWINE_SERVER" -k 2>/dev/null
    "$KWINE_SERVER" -w 2>/dev/null
}
