# Shared by the integration tests: real servers on loopback, started and
# stopped here, and PASS/FAIL bookkeeping that ends in "N passed, N failed".
set -uo pipefail
# nginx and vsftpd live in sbin, which an ordinary user's PATH may lack.
PATH="$PATH:/usr/sbin:/sbin"
KI_PASSED=0
KI_FAILED=0
KI_WORK="$(mktemp -d /tmp/kestrune-it.XXXXXX)"
chmod 755 "$KI_WORK"  # the servers drop privileges and must read what we serve
KI_PIDS=()
CLI="${KESTRUNE_CLI:-$KESTRUNE_ROOT/build/release/kestrune-cli}"

pass() { echo "PASS: $*"; KI_PASSED=$((KI_PASSED + 1)); }
fail() { echo "FAIL: $*"; KI_FAILED=$((KI_FAILED + 1)); }
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
same_file() { cmp -s "$1" "$2"; }

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

wait_port() {  # wait_port PORT
    local i
    for i in $(seq 1 100); do
        python3 -c "import socket,sys; s=socket.socket(); sys.exit(s.connect_ex(('127.0.0.1',$1)))" && return 0
        sleep 0.05
    done
    return 1
}

# nginx_conf PREFIX HTTP_DIRECTIVES: writes PREFIX/nginx.conf for one nginx in
# the foreground whose http block holds HTTP_DIRECTIVES; its pid, logs and
# temporaries stay under PREFIX, so any user can run it.
nginx_conf() {
    local pfx=$1 body=$2
    mkdir -p "$pfx/logs" "$pfx/tmp"
    cat > "$pfx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $pfx/nginx.pid;
error_log $pfx/logs/error.log;
events { worker_connections 256; }
http {
    client_body_temp_path $pfx/tmp;
    proxy_temp_path $pfx/tmp;
    fastcgi_temp_path $pfx/tmp;
    uwsgi_temp_path $pfx/tmp;
    scgi_temp_path $pfx/tmp;
    default_type application/octet-stream;
$body
}
CONF
}

# run_nginx PREFIX: starts nginx on PREFIX/nginx.conf; the exit trap stops it.
run_nginx() {
    nginx -c "$1/nginx.conf" -p "$1/" >"$1/logs/stderr.log" 2>&1 &
    KI_PIDS+=($!)
}

# start_nginx ROOTDIR [EXTRA_LOCATION_DIRECTIVES] -> sets NGINX_PORT, NGINX_LOG
start_nginx() {
    local root=$1 extra=${2:-}
    local pfx="$KI_WORK/nginx"
    NGINX_PORT=$(free_port)
    NGINX_LOG="$pfx/logs/access.log"
    nginx_conf "$pfx" "    log_format bytes '\$request_method \$uri \$status \$body_bytes_sent \"\$http_range\" \$msec \$request_time \$bytes_sent';
    access_log $NGINX_LOG bytes;
    sendfile on;
    server {
        listen 127.0.0.1:$NGINX_PORT;
        root $root;
        location / { $extra }
    }"
    run_nginx "$pfx"
    wait_port "$NGINX_PORT" || { echo "nginx did not start:"; cat "$pfx/logs/stderr.log" "$pfx/logs/error.log"; return 1; }
}

# start_vsftpd ROOTDIR [MAX_RATE_BYTES] -> sets FTP_PORT, FTP_LOG (one line per
# transfer with the bytes sent). Anonymous read/write in ROOTDIR.
start_vsftpd() {
    local root=$1 rate=${2:-0}
    local dir="$KI_WORK/vsftpd-$RANDOM"
    mkdir -p "$dir/empty"
    chmod 755 "$root"
    FTP_PORT=$(free_port)
    FTP_LOG="$dir/xfer.log"
    local pmin=$(( (FTP_PORT % 20000) + 30000 ))
    cat > "$dir/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=$FTP_PORT
background=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
secure_chroot_dir=$dir/empty
anonymous_enable=YES
no_anon_password=YES
anon_root=$root
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
anon_mkdir_write_enable=YES
anon_umask=022
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port=$pmin
pasv_max_port=$((pmin + 200))
max_per_ip=100
max_clients=200
xferlog_enable=YES
vsftpd_log_file=$dir/xfer.log
CONF
    # Without root, vsftpd can neither chroot nor switch users.
    if [ "$(id -u)" -ne 0 ]; then
        printf 'run_as_launching_user=YES\nchroot_local_user=NO\n' >> "$dir/vsftpd.conf"
    fi
    # The rate limit only holds without sendfile.
    if [ "$rate" -gt 0 ]; then
        printf 'use_sendfile=NO\nanon_max_rate=%s\n' "$rate" >> "$dir/vsftpd.conf"
    else
        echo 'use_sendfile=YES' >> "$dir/vsftpd.conf"
    fi
    vsftpd "$dir/vsftpd.conf" >"$dir/stderr.log" 2>&1 &
    KI_PIDS+=($!)
    wait_port "$FTP_PORT" || { echo "vsftpd did not start:"; cat "$dir/stderr.log"; return 1; }
}

ki_finish() {
    local p
    for p in "${KI_PIDS[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
    rm -rf "$KI_WORK"
    echo "$KI_PASSED passed, $KI_FAILED failed"
    [ "$KI_FAILED" -eq 0 ]
}
trap 'ki_finish; exit $?' EXIT

# run_cli EXPECTED_STATUS NAME ARGS... : runs kestrune-cli and checks its exit status.
run_cli() {
    local want=$1 name=$2; shift 2
    "$CLI" "$@" >"$KI_WORK/cli.out" 2>&1
    local rc=$?
    if [ "$rc" -eq "$want" ]; then pass "$name (exit $rc)"; else
        fail "$name (exit $rc, expected $want)"; tail -n 5 "$KI_WORK/cli.out"; fi
}

# kill_after SECONDS SIGNAL ARGS... : starts kestrune-cli, sends SIGNAL after SECONDS, waits; prints status.
kill_after() {
    local secs=$1 sig=$2; shift 2
    "$CLI" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$secs"
    kill "-$sig" "$pid" 2>/dev/null
    wait "$pid"
}
