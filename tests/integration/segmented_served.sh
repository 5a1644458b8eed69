# Segmented downloads from throttled real servers fetch each byte once: the
# servers' own logs count what they sent. Once straight through, then killed
# with half of the file on disk and restarted, over HTTP (nginx) and FTP (vsftpd).
# The bounds leave room for what a server has sent when a connection is dropped
# (bench/ measures the exact figures on a larger file); a scheme that fetches
# ranges twice, or starts a restart over, is far beyond them.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
SIZE=$((40 * 1024 * 1024))
mkdir -p "$W/www/pub" "$W/home"
head -c $SIZE /dev/urandom > "$W/www/pub/s.bin"
start_nginx "$W/www" 'limit_rate 20m;'
start_vsftpd "$W/www" $((20 * 1024 * 1024))

served() {  # served PROTO: bytes sent for s.bin so far
    sleep 0.3  # both servers write their log line once the connection is gone
    if [ "$1" = ftp ]; then
        grep -o 'DOWNLOAD: .*s\.bin", [0-9]* bytes' "$FTP_LOG" | awk '{s += $(NF - 1)} END {print s + 0}'
    else
        awk '$2 == "/pub/s.bin" {s += $4} END {print s + 0}' "$NGINX_LOG"
    fi
}
on_disk() { ls -l "$1" | awk '{s += $5} END {print s + 0}'; }

for proto in http ftp; do
    if [ $proto = ftp ]; then url="ftp://127.0.0.1:$FTP_PORT/pub/s.bin"; else url="http://127.0.0.1:$NGINX_PORT/pub/s.bin"; fi
    down="$W/down-$proto"
    mkdir -p "$down"
    get=(--home "$W/home" get --quiet --segments 8 --dir "$down" "$url")

    before=$(served $proto)
    run_cli 0 "$proto: 8 segments complete" "${get[@]}"
    check "$proto: 8 segments byte-identical" same_file "$W/www/pub/s.bin" "$down/s.bin"
    sent=$(( $(served $proto) - before ))
    echo "$proto: served $sent bytes for $SIZE"
    check "$proto: served at most 1.10 times the size" test $((sent * 100)) -le $((SIZE * 110))

    rm -f "$down"/*
    "$CLI" "${get[@]}" >/dev/null 2>&1 &
    pid=$!
    while kill -0 $pid 2>/dev/null && [ "$(on_disk "$down")" -lt $((SIZE / 2)) ]; do sleep 0.01; done
    kill -KILL $pid 2>/dev/null
    wait $pid 2>/dev/null
    missing=$((SIZE - $(on_disk "$down")))
    before=$(served $proto)
    run_cli 0 "$proto: restart after a kill completes" "${get[@]}"
    check "$proto: restart after a kill byte-identical" same_file "$W/www/pub/s.bin" "$down/s.bin"
    sent=$(( $(served $proto) - before ))
    echo "$proto: $missing bytes missing after the kill, the restart fetched $sent"
    check "$proto: restart fetched at most 10% more than was missing" test $((sent * 100)) -le $((missing * 100 + SIZE * 10))
done
