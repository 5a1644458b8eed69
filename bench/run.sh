#!/usr/bin/env bash
# Side-by-side benchmark of kestrune-cli against curl, wget, aria2c, axel and lftp
# on loopback, several rounds, medians and ratios. Files live on tmpfs so the disk
# does not decide. Beside time, CPU and memory, each download reports the bytes
# the server sent for it (nginx's $bytes_sent, vsftpd's transfer log) against
# the file's size. Usage: bench/run.sh [ROUNDS] [SCENARIO...]
#   scenarios: http1 (1 GiB, one connection), throttled (200 MiB at 20 MiB/s per
#   connection, 8 connections), seg4 (1 GiB, 4 connections), ftp (200 MiB download),
#   ftp8 (200 MiB from vsftpd at 20 MiB/s per connection, 8 connections), upload
#   (200 MiB FTP upload), https (1 GiB over TLS, one connection), restart (kestrune
#   alone: the throttled HTTP and FTP downloads killed with SIGKILL once half the
#   file is on disk, then run again; what the second run fetched against what was
#   missing). Default: all.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export KESTRUNE_ROOT="$ROOT"
ROUNDS="${1:-3}"; shift || true
SCENARIOS="${*:-http1 throttled seg4 ftp ftp8 upload https restart}"
cmake --preset release >/dev/null && cmake --build --preset release --target kestrune-cli >/dev/null || exit 1
source "$ROOT/tests/integration/common.bash"
SHM="$(mktemp -d /dev/shm/kestrune-bench.XXXXXX)"
chmod 755 "$SHM"
trap 'rm -rf "$SHM"; ki_finish >/dev/null' EXIT
RESULTS="$SHM/results.txt"
: > "$RESULTS"

mkdir -p "$SHM/www" "$SHM/out" "$SHM/home" "$SHM/ftp/pub" "$SHM/ftp/upload"
chmod 777 "$SHM/ftp/upload"
head -c $((1024 * 1024 * 1024)) /dev/zero | tr '\0' 'k' > "$SHM/www/big.bin"
head -c $((200 * 1024 * 1024)) /dev/urandom > "$SHM/www/mid.bin"
ln "$SHM/www/mid.bin" "$SHM/ftp/pub/mid.bin" 2>/dev/null || cp "$SHM/www/mid.bin" "$SHM/ftp/pub/mid.bin"
start_nginx "$SHM/www" 'location /slow/ { alias '"$SHM"'/www/; limit_rate 20m; }'
start_vsftpd "$SHM/ftp" $((20 * 1024 * 1024))
F8="ftp://127.0.0.1:$FTP_PORT"
FTP8_LOG="$FTP_LOG"
start_vsftpd "$SHM/ftp"
H="http://127.0.0.1:$NGINX_PORT"
source "$ROOT/tests/integration/tls_pki.bash"
make_test_pki "$KI_WORK/pki" >/dev/null && start_tls_nginx "$SHM/www" "$KI_WORK/pki" || exit 1
S="https://127.0.0.1:$TLS_PORT"
CA="$KI_WORK/pki/ca.pem"
F="ftp://127.0.0.1:$FTP_PORT"

# The server log a scenario's downloads are counted in ("-": none).
log_of() {
    case $1 in
      http1|throttled|seg4|restart-http) echo "$NGINX_LOG" ;;
      ftp) echo "$FTP_LOG" ;;
      ftp8|restart-ftp) echo "$FTP8_LOG" ;;
      *) echo - ;;
    esac
}
log_lines() { [ "$1" = - ] && echo 0 || wc -l < "$1"; }
# served_since LOG LINES: bytes the server sent in the log's lines after LINES.
served_since() {
    local log=$1 from=$2
    if [ "$log" = - ]; then echo -; return; fi
    sleep 0.2  # a connection the client just dropped is logged when the server notices
    if [ "$log" = "$NGINX_LOG" ]; then
        tail -n +$((from + 1)) "$log" | awk '{s += $NF} END {print s + 0}'
    else
        # Aborted transfers are logged too ("FAIL DOWNLOAD"), with what they sent.
        tail -n +$((from + 1)) "$log" | grep -o 'DOWNLOAD: .*", [0-9]* bytes' |
            awk '{s += $(NF - 1)} END {print s + 0}'
    fi
}

# measure SCENARIO TOOL EXPECTED_FILE OUTPUT_FILE CMD... : one timed run, checked for bytes.
measure() {
    local scen=$1 tool=$2 want=$3 got=$4; shift 4
    rm -rf "$SHM/out"/* "$SHM/home"/*
    [ "$got" != "-" ] && rm -f "$got"
    local log from t served
    log=$(log_of "$scen")
    from=$(log_lines "$log")
    t=$( { /usr/bin/time -f '%e %U %S %M' "$@" >/dev/null 2>"$SHM/err"; } 2>&1; tail -n1 "$SHM/err")
    served=$(served_since "$log" "$from")
    local ok=ok
    if [ "$want" != "-" ] && ! cmp -s "$want" "$got"; then ok=BAD; fi
    echo "$scen $tool $t $ok $served $(stat -c %s "$want")" | tee -a "$RESULTS"
}

on_disk() { find "$SHM/out" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}'; }

# restart SCENARIO EXPECTED_FILE OUTPUT_FILE CMD... : the command killed with
# SIGKILL once half the file is on disk (its segment files included), then run
# again to the end; the second run's served bytes against what was missing.
restart() {
    local scen=$1 want=$2 got=$3; shift 3
    rm -rf "$SHM/out"/* "$SHM/home"/*
    local size half log from served have
    size=$(stat -c %s "$want")
    half=$((size / 2))
    "$@" >/dev/null 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null && [ "$(on_disk)" -lt "$half" ]; do sleep 0.02; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    have=$(on_disk)
    log=$(log_of "$scen")
    from=$(log_lines "$log")
    local t
    t=$( { /usr/bin/time -f '%e %U %S %M' "$@" >/dev/null 2>"$SHM/err"; } 2>&1; tail -n1 "$SHM/err")
    served=$(served_since "$log" "$from")
    local ok=ok
    [ "$(sha256sum < "$want")" = "$(sha256sum < "$got")" ] || ok=BAD
    echo "$scen kestrune $t $ok $served $size $have" | tee -a "$RESULTS"
}

ARIA="aria2c -q --file-allocation=none --allow-overwrite=true --auto-file-renaming=false -d $SHM/out"

# The tools of a scenario, one "name|command" line each; the command is run by
# measure with the expected and actual output files.
tools_of() {
    case $1 in
      http1)
        echo "kestrune|$SHM/www/big.bin|$SHM/out/big.bin|$CLI --home $SHM/home get --quiet --segments 0 --dir $SHM/out $H/big.bin"
        echo "curl|$SHM/www/big.bin|$SHM/out/big.bin|curl -s -o $SHM/out/big.bin $H/big.bin"
        echo "wget|$SHM/www/big.bin|$SHM/out/big.bin|wget -q -O $SHM/out/big.bin $H/big.bin" ;;
      throttled)
        echo "kestrune|$SHM/www/mid.bin|$SHM/out/mid.bin|$CLI --home $SHM/home get --quiet --segments 8 --dir $SHM/out $H/slow/mid.bin"
        echo "aria2c|$SHM/www/mid.bin|$SHM/out/mid.bin|$ARIA -x8 -s8 $H/slow/mid.bin"
        echo "axel|$SHM/www/mid.bin|$SHM/out/mid.bin|axel -q -n 8 -o $SHM/out/mid.bin $H/slow/mid.bin" ;;
      seg4)
        echo "kestrune|$SHM/www/big.bin|$SHM/out/big.bin|$CLI --home $SHM/home get --quiet --segments 4 --dir $SHM/out $H/big.bin"
        echo "aria2c|$SHM/www/big.bin|$SHM/out/big.bin|$ARIA -x4 -s4 $H/big.bin" ;;
      ftp8)
        echo "kestrune|$SHM/www/mid.bin|$SHM/out/mid.bin|$CLI --home $SHM/home get --quiet --segments 8 --dir $SHM/out $F8/pub/mid.bin"
        echo "aria2c|$SHM/www/mid.bin|$SHM/out/mid.bin|$ARIA -x8 -s8 $F8/pub/mid.bin"
        echo "axel|$SHM/www/mid.bin|$SHM/out/mid.bin|axel -q -n 8 -o $SHM/out/mid.bin $F8/pub/mid.bin" ;;
      ftp)
        echo "kestrune|$SHM/www/mid.bin|$SHM/out/mid.bin|$CLI --home $SHM/home get --quiet --segments 0 --dir $SHM/out $F/pub/mid.bin"
        echo "curl|$SHM/www/mid.bin|$SHM/out/mid.bin|curl -s -o $SHM/out/mid.bin $F/pub/mid.bin"
        echo "lftp-pget4|$SHM/www/mid.bin|$SHM/out/mid.bin|lftp" ;;
      upload)
        echo "kestrune|$SHM/www/mid.bin|$SHM/ftp/upload/mid.bin|$CLI --home $SHM/home upload --overwrite $F/upload/ $SHM/www/mid.bin"
        echo "curl|$SHM/www/mid.bin|$SHM/ftp/upload/mid.bin|curl -s -T $SHM/www/mid.bin $F/upload/mid.bin" ;;
      https)
        echo "kestrune|$SHM/www/big.bin|$SHM/out/big.bin|$CLI --home $SHM/home get --quiet --segments 0 --ca-file $CA --dir $SHM/out $S/big.bin"
        echo "curl|$SHM/www/big.bin|$SHM/out/big.bin|curl -s --cacert $CA -o $SHM/out/big.bin $S/big.bin"
        echo "aria2c|$SHM/www/big.bin|$SHM/out/big.bin|$ARIA --ca-certificate=$CA $S/big.bin" ;;
    esac
}

# Each round starts the scenario's tool list at another tool, so no tool always
# runs first (first after a delete of a large tmpfs file is measurably slower).
for r in $(seq 1 "$ROUNDS"); do
  for s in $SCENARIOS; do
    if [ "$s" = restart ]; then
      restart restart-http "$SHM/www/mid.bin" "$SHM/out/mid.bin" \
        "$CLI" --home "$SHM/home" get --quiet --segments 8 --dir "$SHM/out" "$H/slow/mid.bin"
      restart restart-ftp "$SHM/www/mid.bin" "$SHM/out/mid.bin" \
        "$CLI" --home "$SHM/home" get --quiet --segments 8 --dir "$SHM/out" "$F8/pub/mid.bin"
      continue
    fi
    mapfile -t list < <(tools_of "$s")
    n=${#list[@]}
    for k in $(seq 0 $((n - 1))); do
      IFS='|' read -r tool want got cmd <<<"${list[$(( (k + r) % n ))]}"
      if [ "$tool" = lftp-pget4 ]; then
        # lftp takes its whole script as one argument.
        measure "$s" "$tool" "$want" "$got" lftp -c "set xfer:clobber on; lcd $SHM/out; pget -n 4 $F/pub/mid.bin"
      else
        # shellcheck disable=SC2086
        measure "$s" "$tool" "$want" "$got" $cmd
      fi
    done
  done
done

python3 - "$RESULTS" <<'PY'
import sys, statistics, collections
rows = collections.defaultdict(list)
served = collections.defaultdict(list)
restarts = collections.defaultdict(list)
bad = collections.Counter()
for line in open(sys.argv[1]):
    p = line.split()
    if len(p) < 7: continue
    scen, tool, wall, user, sys_, rss, ok = p[:7]
    if ok != "ok": bad[(scen, tool)] += 1
    if scen.startswith("restart-"):
        # what the run after the kill fetched, and what the kill had left missing
        size, have = int(p[8]), int(p[9])
        restarts[scen].append((int(p[7]) / size, (size - have) / size, float(wall), ok))
        continue
    rows[(scen, tool)].append((float(wall), float(user) + float(sys_), int(rss)))
    if len(p) >= 9 and p[7] != "-":
        served[(scen, tool)].append(int(p[7]) / int(p[8]))
ref = {"http1": "curl", "throttled": "aria2c", "seg4": "aria2c", "ftp": "curl", "ftp8": "aria2c",
       "upload": "curl", "https": "curl"}
print("\n%-10s %-11s %8s %8s %9s %10s %12s %s" %
      ("scenario", "tool", "wall s", "cpu s", "rss MiB", "vs ", "served/size", "bad"))
for scen in dict.fromkeys(k[0] for k in rows):
    r = ref.get(scen)
    base = statistics.median(x[0] for x in rows[(scen, r)]) if (scen, r) in rows else None
    for (s, tool), v in rows.items():
        if s != scen: continue
        wall = statistics.median(x[0] for x in v)
        cpu = statistics.median(x[1] for x in v)
        rss = max(x[2] for x in v) / 1024
        ratio = "%.2fx %s" % (base / wall, r) if base and wall > 0 else "-"
        sv = served.get((s, tool))
        sv = "%.3f/%.3f" % (statistics.median(sv), max(sv)) if sv else "-"
        print("%-10s %-11s %8.2f %8.2f %9.1f %10s %12s %d" %
              (scen, tool, wall, cpu, rss, ratio, sv, bad[(s, tool)]))
print("\nratio = reference tool's median wall time / this tool's (above 1: faster than the reference)")
print("served/size = bytes the server sent for the run / the file's size: median/worst")
if restarts:
    print("\nkilled (SIGKILL) once half the file was on disk, then run again (kestrune, 8 segments):")
    for scen, v in restarts.items():
        for fetched, missing, wall, ok in v:
            print("  %-12s missing %5.1f%%, the restart fetched %5.1f%% (%+.1f points), %.2f s, sha256 %s"
                  % (scen, 100 * missing, 100 * fetched, 100 * (fetched - missing), wall,
                     "right" if ok == "ok" else "WRONG"))
PY
