# kestrune-cli through a real HTTP proxy (tinyproxy), set up with `config`
# alone: whole downloads and segmented ones arrive byte-exact through it, and
# switching the profile off sends the next download straight to the server.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
mkdir -p "$W/www" "$W/home" "$W/down" "$W/seg" "$W/direct" "$W/proxy"
head -c 2000000 /dev/urandom > "$W/www/small.bin"
head -c 12000000 /dev/urandom > "$W/www/large.bin"
start_nginx "$W/www" 'limit_rate 20m;'
H="http://127.0.0.1:$NGINX_PORT"
K=(--home "$W/home")

PROXY_PORT=$(free_port)
PROXY_LOG="$W/proxy/tinyproxy.log"
cat > "$W/proxy/tinyproxy.conf" <<CONF
Port $PROXY_PORT
Listen 127.0.0.1
Timeout 60
Allow 127.0.0.1
LogLevel Info
LogFile "$PROXY_LOG"
MaxClients 50
DisableViaHeader Yes
CONF
chmod -R a+rwX "$W/proxy"
if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups tinyproxy -d -c "$W/proxy/tinyproxy.conf" >"$W/proxy/stderr.log" 2>&1 &
else
    tinyproxy -d -c "$W/proxy/tinyproxy.conf" >"$W/proxy/stderr.log" 2>&1 &
fi
PROXY_PID=$!
KI_PIDS+=($PROXY_PID)
wait_port "$PROXY_PORT" || { fail "tinyproxy did not start"; cat "$W/proxy/stderr.log"; exit 1; }

run_cli 0 "config turns the HTTP proxy on" "${K[@]}" config "LAN Settings" useHTTPProxy yes
run_cli 0 "config sets the proxy host" "${K[@]}" config "LAN Settings" HTTPProxyServer 127.0.0.1
run_cli 0 "config sets the proxy port" "${K[@]}" config "LAN Settings" HTTPProxyPort "$PROXY_PORT"

run_cli 0 "download through the proxy" "${K[@]}" get --quiet --dir "$W/down" "$H/small.bin"
check "download through the proxy is byte-identical" same_file "$W/www/small.bin" "$W/down/small.bin"
check "the proxy carried the whole URL" grep -q "GET $H/small.bin" "$PROXY_LOG"

run_cli 0 "segmented download through the proxy" "${K[@]}" get --quiet --segments 4 --dir "$W/seg" "$H/large.bin"
check "segmented download through the proxy is byte-identical" same_file "$W/www/large.bin" "$W/seg/large.bin"
n=$(grep -c "GET $H/large.bin" "$PROXY_LOG")
check "every segment went through the proxy ($n requests)" test "$n" -ge 4

# With the proxy gone, a download that must use it fails instead of quietly
# going around it; switched off in the profile, the next one goes direct.
kill "$PROXY_PID"; wait "$PROXY_PID" 2>/dev/null
run_cli 1 "no download past a dead proxy" "${K[@]}" get --quiet --retries 1 --dir "$W/direct" "$H/small.bin"
run_cli 0 "config turns the HTTP proxy off" "${K[@]}" config "LAN Settings" useHTTPProxy no
run_cli 0 "download without the proxy" "${K[@]}" get --quiet --dir "$W/direct" "$H/small.bin"
check "direct download is byte-identical" same_file "$W/www/small.bin" "$W/direct/small.bin"
