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
mkdir -p "$W/www" "$W/nginx/logs" "$W/nginx/tmp"
make_test_pki "$W/pki" || { fail "making the test certificates"; exit 1; }
for f in a b c d; do head -c 3000000 /dev/urandom > "$W/www/$f.bin"; done
GOOD=$(free_port); WRONG=$(free_port); STRANGER=$(free_port)
server() {  # PORT CERT
    printf '    server { listen 127.0.0.1:%s ssl; ssl_certificate %s; ssl_certificate_key %s;\n' \
        "$1" "$W/pki/$2.pem" "$W/pki/$2.key"
    printf '             ssl_protocols TLSv1.2 TLSv1.3; root %s; }\n' "$W/www"
}
cat > "$W/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $W/nginx/nginx.pid;
error_log $W/nginx/logs/error.log;
events { worker_connections 256; }
http {
    access_log $W/nginx/logs/access.log;
    client_body_temp_path $W/nginx/tmp;
    proxy_temp_path $W/nginx/tmp;
    fastcgi_temp_path $W/nginx/tmp;
    uwsgi_temp_path $W/nginx/tmp;
    scgi_temp_path $W/nginx/tmp;
    default_type application/octet-stream;
$(server "$GOOD" good)
$(server "$WRONG" wrongname)
$(server "$STRANGER" stranger)
}
CONF
nginx -c "$W/nginx/nginx.conf" -p "$W/nginx/" >"$W/nginx/logs/stderr.log" 2>&1 &
KI_PIDS+=($!)
wait_port "$GOOD" || { cat "$W/nginx/logs/"*; fail "nginx with TLS"; exit 1; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
source "$KESTRUNE_ROOT/scripts/wine-env.sh" "itg-$$"
kwine_init
kxvfb_start
kwine_keepalive_start
(cd "$B" && KESTRUNE_TLS_GOOD=$GOOD KESTRUNE_TLS_STRANGER=$STRANGER KESTRUNE_TLS_WRONGNAME=$WRONG \
    KESTRUNE_TLS_CA="$(winpath "$W/pki/ca.pem")" KESTRUNE_TLS_WWW="$(winpath "$W/www")" \
    KESTRUNE_ARTIFACTS="$(winpath "$W")" \
    timeout 600 "$KWINE_LOADER" kestrune_gui_tests.exe https_ >"$W/gui.out" 2>&1)
tr -d '\r' < "$W/gui.out" | grep -v -E '^[0-9]+ passed, [0-9]+ failed$'
check "kestrune.exe over https through SChannel" \
    grep -q "^PASS https_downloads_verify_the_server_through_schannel" <(tr -d '\r' < "$W/gui.out")
kwine_stop
kxvfb_stop
rm -rf "$WINEPREFIX"
