# The Windows build of kestrune-cli, run under Wine, against a real nginx:
# the same engine on the Win32 side of the platform seam.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
EXE="$KESTRUNE_ROOT/build/win64/kestrune-cli.exe"
if [ ! -f "$EXE" ]; then fail "win64 kestrune-cli.exe is built"; exit 1; fi
source "$KESTRUNE_ROOT/scripts/wine-env.sh" "it-$$"
kwine_init
kwine_keepalive_start
W="$KI_WORK"
mkdir -p "$W/www" "$W/home" "$W/down"
head -c 20000000 /dev/urandom > "$W/www/w.bin"
start_nginx "$W/www"
H="http://127.0.0.1:$NGINX_PORT"
wcli() { timeout 300 "$KWINE_LOADER" "$EXE" --home "Z:$W/home" "$@" >"$W/wcli.out" 2>&1; }

wcli get --quiet --dir "Z:$W/down" "$H/w.bin"; rc=$?
check "windows cli download exits 0 (got $rc)" test "$rc" -eq 0
check "windows cli download is byte-identical" same_file "$W/www/w.bin" "$W/down/w.bin"
head -c 7000000 "$W/www/w.bin" > "$W/down/w.bin"
wcli get --quiet --segments 4 --dir "Z:$W/down" "$H/w.bin"; rc=$?
check "windows cli segmented resume exits 0 (got $rc)" test "$rc" -eq 0
check "windows cli segmented resume is byte-identical" same_file "$W/www/w.bin" "$W/down/w.bin"
wcli list
check "windows cli list shows the finished row" grep -q "100.0%/100.0%" "$W/wcli.out"
kwine_stop
rm -rf "$WINEPREFIX"
