# kestrune-cli against a real nginx: fresh download, pause and resume with a
# ranged request, resume after SIGKILL, error statuses.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
mkdir -p "$W/www/sub" "$W/home" "$W/down"
head -c 3000000 /dev/urandom > "$W/www/small.bin"
head -c 60000000 /dev/urandom > "$W/www/large.bin"
start_nginx "$W/www" 'limit_rate 15m;'
H="http://127.0.0.1:$NGINX_PORT"
K=(--home "$W/home")

run_cli 0 "fresh download" "${K[@]}" get --dir "$W/down" "$H/small.bin"
check "fresh download is byte-identical" same_file "$W/www/small.bin" "$W/down/small.bin"
check "list shows the finished row" grep -q "100.0%/100.0%" <("$CLI" "${K[@]}" list)

# Ctrl-C pauses and saves; the same command resumes from the bytes on disk.
kill_after 1.5 INT "${K[@]}" get --quiet --dir "$W/down" "$H/large.bin"
rc=$?
check "interrupt exits 130" test "$rc" -eq 130
part=$(stat -c %s "$W/down/large.bin" 2>/dev/null || echo 0)
check "interrupt leaves a partial file" test "$part" -gt 0 -a "$part" -lt 60000000
: > "$NGINX_LOG"
run_cli 0 "resume after interrupt" "${K[@]}" get --quiet --dir "$W/down" "$H/large.bin"
check "resumed file is byte-identical" same_file "$W/www/large.bin" "$W/down/large.bin"
check "resume asked for the range from the partial length" grep -q "\"bytes=$part-" "$NGINX_LOG"
sent=$(awk '{s+=$4} END {print s+0}' "$NGINX_LOG")
check "resume fetched only the missing bytes ($sent of $((60000000 - part)))" test "$sent" -le $((60000000 - part))

# A hard kill keeps what is on disk; the restart resumes.
rm -f "$W/down/large.bin"
kill_after 1.2 KILL "${K[@]}" get --quiet --dir "$W/down" "$H/large.bin"
run_cli 0 "resume after SIGKILL" "${K[@]}" get --quiet --dir "$W/down" "$H/large.bin"
check "file after SIGKILL and restart is byte-identical" same_file "$W/www/large.bin" "$W/down/large.bin"

run_cli 1 "404 ends with Error, no retry" "${K[@]}" get --quiet --dir "$W/down" "$H/missing.bin"
run_cli 2 "gopher is an invalid URL" "${K[@]}" get --quiet --dir "$W/down" "gopher://127.0.0.1:$NGINX_PORT/small.bin"
run_cli 64 "usage error" "${K[@]}" get
run_cli 1 "connection refused with --retries 2 ends with Error" "${K[@]}" get --quiet --retries 2 --dir "$W/down" "http://127.0.0.1:1/x.bin"

# Accelerated downloads of the large file with several connection counts.
for n in 1 4 8 16; do
    mkdir -p "$W/seg$n"
    run_cli 0 "download with $n segments" "${K[@]}" get --quiet --segments "$n" --dir "$W/seg$n" "$H/large.bin"
    check "download with $n segments is byte-identical" same_file "$W/www/large.bin" "$W/seg$n/large.bin"
    check "no segment files left after $n segments" test -z "$(ls "$W/seg$n" | grep -v '^large.bin$')"
done
