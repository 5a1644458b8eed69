# kestrune-cli built with ThreadSanitizer against a real nginx: plain and
# segmented downloads, a pause with segments running and its resume, and a
# queue of several downloads at once. Any race report fails the run (exit 66).
source "$KESTRUNE_ROOT/tests/integration/common.bash"
export TSAN_OPTIONS="exitcode=66 halt_on_error=0 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
W="$KI_WORK"
mkdir -p "$W/www" "$W/home" "$W/down" "$W/queue"
for i in 1 2 3; do head -c 2000000 /dev/urandom > "$W/www/q$i.bin"; done
head -c 8000000 /dev/urandom > "$W/www/large.bin"
# Slow enough that a pause lands while the segments still run.
start_nginx "$W/www" 'limit_rate 1m;'
H="http://127.0.0.1:$NGINX_PORT"
K=(--home "$W/home")

# run_tsan EXPECTED NAME ARGS...: like run_cli, and shows the race reports.
run_tsan() {
    local want=$1 name=$2; shift 2
    "$CLI" "$@" >"$KI_WORK/cli.out" 2>&1
    local rc=$?
    if [ "$rc" -eq "$want" ]; then pass "$name (exit $rc)"; else
        fail "$name (exit $rc, expected $want)"
        grep -A 30 'WARNING: ThreadSanitizer' "$KI_WORK/cli.out" | head -n 80
    fi
}

run_tsan 0 "plain download" "${K[@]}" get --quiet --dir "$W/down" "$H/q1.bin"
check "plain download is byte-identical" same_file "$W/www/q1.bin" "$W/down/q1.bin"

mkdir -p "$W/seg"
run_tsan 0 "download with 6 segments" "${K[@]}" get --quiet --segments 6 --dir "$W/seg" "$H/large.bin"
check "segmented download is byte-identical" same_file "$W/www/large.bin" "$W/seg/large.bin"

# Ctrl-C while the segments run; the same command resumes from what is on disk.
mkdir -p "$W/pause"
"$CLI" "${K[@]}" get --quiet --segments 4 --dir "$W/pause" "$H/large.bin" >"$W/pause.out" 2>&1 &
pid=$!
# Interrupt once the extra segments write their own files, not after a guessed time.
for _ in $(seq 1 200); do
    compgen -G "$W/pause/*_large.bin" >/dev/null && break
    sleep 0.05
done
sleep 0.2
kill -INT "$pid" 2>/dev/null
wait "$pid"
rc=$?
check "pause with segments running exits 130 without a race report (exit $rc)" test "$rc" -eq 130
grep -A 30 'WARNING: ThreadSanitizer' "$W/pause.out" | head -n 80
check "the pause left the download unfinished" test "$(stat -c %s "$W/pause/large.bin")" -lt 8000000
run_tsan 0 "resume with segments" "${K[@]}" get --quiet --segments 4 --dir "$W/pause" "$H/large.bin"
check "resumed segmented download is byte-identical" same_file "$W/www/large.bin" "$W/pause/large.bin"

Q=(--home "$W/qhome")
# A URL added from the command line goes to the folder the command runs in.
cd "$W/queue" || exit 1
run_tsan 0 "queue three downloads" "${Q[@]}" add "$H/q1.bin" "$H/q2.bin" "$H/q3.bin"
cd "$KESTRUNE_ROOT" || exit 1
run_tsan 0 "run the queue" "${Q[@]}" run
for i in 1 2 3; do
    check "queued download $i is byte-identical" same_file "$W/www/q$i.bin" "$W/queue/q$i.bin"
done
