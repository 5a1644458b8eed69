# The Windows program itself over https under Wine (SChannel with our own
# certificate checks): kestrune_gui_tests drives kestrune.exe against nginx
# and a throwaway CA started here.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
source "$KESTRUNE_ROOT/tests/integration/tls_pki.bash"
B="$KESTRUNE_ROOT/build/win64"
if [ ! -f "$B/kestrune_gui_tests.exe" ] || [ ! -f "$B/kestrune.exe" ]; then
    fail "win64 kestrune.exe and kestrune_gui_tests.exe are built"; exit 1
fi
W="$KI_WORK"
mkdir -p "$W/www"
make_test_pki "$W/pki" || { fail "making the test certificates"; exit 1; }
for f in a b c d; do head -c 3000000 /dev/urandom > "$W/www/$f.bin"; done
start_tls_cases "$W/www" "$W/pki" good wrongname stranger || { fail "nginx with TLS"; exit 1; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
source "$KESTRUNE_ROOT/scripts/wine-env.sh" "itg-$$"
kwine_init
kxvfb_start
kwine_keepalive_start
(cd "$B" && KESTRUNE_TLS_GOOD=${TLS_CASE_PORT[good]} \
    KESTRUNE_TLS_STRANGER=${TLS_CASE_PORT[stranger]} KESTRUNE_TLS_WRONGNAME=${TLS_CASE_PORT[wrongname]} \
    KESTRUNE_TLS_CA="$(winpath "$W/pki/ca.pem")" KESTRUNE_TLS_WWW="$(winpath "$W/www")" \
    KESTRUNE_ARTIFACTS="$(winpath "$W")" \
    timeout 600 "$KWINE_LOADER" kestrune_gui_tests.exe https_ >"$W/gui.out" 2>&1)
tr -d '\r' < "$W/gui.out" | grep -v -E '^[0-9]+ passed, [0-9]+ failed$'
check "kestrune.exe over https through SChannel" \
    grep -q "^PASS https_downloads_verify_the_server_through_schannel" <(tr -d '\r' < "$W/gui.out")
kwine_stop
kxvfb_stop
rm -rf "$WINEPREFIX"
