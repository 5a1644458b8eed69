# https through a real HTTP proxy (tinyproxy): CONNECT, then TLS with the
# server itself, so the certificate is still the server's and checked; a
# proxy that refuses the tunnel ends the download with its status.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
source "$KESTRUNE_ROOT/tests/integration/tls_pki.bash"
W="$KI_WORK"
mkdir -p "$W/www" "$W/home" "$W/down" "$W/seg" "$W/bad" "$W/refused" "$W/proxy"
make_test_pki "$W/pki" || { fail "making the test certificates"; exit 1; }
head -c 2000000 /dev/urandom > "$W/www/small.bin"
head -c 12000000 /dev/urandom > "$W/www/large.bin"
start_tls_nginx "$W/www" "$W/pki" || { fail "nginx with TLS"; exit 1; }
S="https://127.0.0.1:$TLS_PORT"
K=(--home "$W/home")
CA=(--ca-file "$W/pki/ca.pem")

start_proxy() {  # NAME [EXTRA CONFIG LINE] -> PORT in ${NAME}_PORT, log in $W/proxy/NAME.log
    local name=$1 extra=${2:-} port
    port=$(free_port)
    printf 'Port %s\nListen 127.0.0.1\nTimeout 60\nAllow 127.0.0.1\nLogLevel Info\nLogFile "%s"\nMaxClients 50\nDisableViaHeader Yes\n%s\n' \
        "$port" "$W/proxy/$name.log" "$extra" > "$W/proxy/$name.conf"
    chmod -R a+rwX "$W/proxy"
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups tinyproxy -d -c "$W/proxy/$name.conf" >"$W/proxy/$name.err" 2>&1 &
    else
        tinyproxy -d -c "$W/proxy/$name.conf" >"$W/proxy/$name.err" 2>&1 &
    fi
    KI_PIDS+=($!)
    wait_port "$port" || { fail "tinyproxy $name did not start"; cat "$W/proxy/$name.err"; exit 1; }
    printf -v "${name}_PORT" '%s' "$port"
}
start_proxy open
start_proxy strict "ConnectPort 443"

"$CLI" "${K[@]}" config Limits wait 1 >/dev/null
"$CLI" "${K[@]}" config "LAN Settings" useHTTPProxy yes >/dev/null
"$CLI" "${K[@]}" config "LAN Settings" HTTPProxyServer 127.0.0.1 >/dev/null
"$CLI" "${K[@]}" config "LAN Settings" HTTPProxyPort "$open_PORT" >/dev/null

run_cli 0 "https through the proxy" "${K[@]}" get --quiet "${CA[@]}" --dir "$W/down" "$S/small.bin"
check "https through the proxy is byte-identical" same_file "$W/www/small.bin" "$W/down/small.bin"
check "the proxy was asked for a tunnel" grep -q "CONNECT 127.0.0.1:$TLS_PORT" "$W/proxy/open.log"
check "the proxy never saw the request itself" test "$(grep -c "GET https\{0,1\}://127.0.0.1:$TLS_PORT/small.bin" "$W/proxy/open.log")" -eq 0

run_cli 0 "https with 4 segments through the proxy" "${K[@]}" get --quiet --segments 4 "${CA[@]}" \
    --dir "$W/seg" "$S/large.bin"
check "segmented https through the proxy is byte-identical" same_file "$W/www/large.bin" "$W/seg/large.bin"
n=$(grep -c "CONNECT 127.0.0.1:$TLS_PORT" "$W/proxy/open.log")
check "each segment had its own tunnel ($n)" test "$n" -ge 4

run_cli 1 "the server's certificate is still checked" "${K[@]}" get --dir "$W/bad" "$S/small.bin"
check "an untrusted server behind the proxy says so" grep -q "unknown issuer" "$KI_WORK/cli.out"
check "nothing written past an untrusted server" test -z "$(ls "$W/bad")"

"$CLI" "${K[@]}" config "LAN Settings" HTTPProxyPort "$strict_PORT" >/dev/null
run_cli 1 "a refused tunnel ends with Error" "${K[@]}" get "${CA[@]}" --dir "$W/refused" "$S/small.bin"
check "the refusal names the proxy's status" grep -q "proxy refused.*403" "$KI_WORK/cli.out"
check "nothing written after a refusal" test -z "$(ls "$W/refused")"
