#!/usr/bin/env bash
# Side-by-side benchmark of kestrune-cli against curl, wget, aria2c, axel and lftp
# on loopback, several rounds, medians and ratios. Files live on tmpfs so the disk
# does not decide. Usage: bench/run.sh [ROUNDS] [SCENARIO...]
#   scenarios: http1 (1 GiB, one connection), throttled (200 MiB at 20 MiB/s per
#   connection, 8 connections), seg4 (1 GiB, 4 connections), ftp (200 MiB download),
#   upload (200 MiB FTP upload), https (1 GiB over TLS, one connection). Default: all.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export KESTRUNE_ROOT="$ROOT"
ROUNDS="${1:-3}"; shift || true
SCENARIOS="${*:-http1 throttled seg4 ftp upload https}"
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
start_vsftpd "$SHM/ftp"
H="http://127.0.0.1:$NGINX_PORT"
source "$ROOT/tests/integration/tls_pki.bash"
make_test_pki "$KI_WORK/pki" >/dev/null && start_tls_nginx "$SHM/www" "$KI_WORK/pki" || exit 1
S="https://127.0.0.1:$TLS_PORT"
CA="$KI_WORK/pki/ca.pem"
F="ftp://127.0.0.1:$FTP_PORT"

# measure SCENARIO TOOL EXPECTED_FILE OUTPUT_FILE CMD... : one timed run, checked for bytes.
measure() {
    local scen=$1 tool=$2 want=$3 got=$4; shift 4
    rm -rf "$SHM/out"/* "$SHM/home"/*
    [ "$got" != "-" ] && rm -f "$got"
    local t
    t=$( { /usr/bin/time -f '%e %U %S %M' "$@" >/dev/null 2>"$SHM/err"; } 2>&1; tail -n1 "$SHM/err")
    local ok=ok
    if [ "$want" != "-" ] && ! cmp -s "$want" "$got"; then ok=BAD; fi
    echo "$scen $tool $t $ok" | tee -a "$RESULTS"
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
bad = collections.Counter()
for line in open(sys.argv[1]):
    p = line.split()
    if len(p) < 7: continue
    scen, tool, wall, user, sys_, rss, ok = p[:7]
    rows[(scen, tool)].append((float(wall), float(user) + float(sys_), int(rss)))
    if ok != "ok": bad[(scen, tool)] += 1
ref = {"http1": "curl", "throttled": "aria2c", "seg4": "aria2c", "ftp": "curl", "upload": "curl",
       "https": "curl"}
print("\n%-10s %-11s %8s %8s %9s %10s %s" % ("scenario", "tool", "wall s", "cpu s", "rss MiB", "vs " , "bad"))
for scen in dict.fromkeys(k[0] for k in rows):
    r = ref.get(scen)
    base = statistics.median(x[0] for x in rows[(scen, r)]) if (scen, r) in rows else None
    for (s, tool), v in rows.items():
        if s != scen: continue
        wall = statistics.median(x[0] for x in v)
        cpu = statistics.median(x[1] for x in v)
        rss = max(x[2] for x in v) / 1024
        ratio = "%.2fx %s" % (base / wall, r) if base and wall > 0 else "-"
        print("%-10s %-11s %8.2f %8.2f %9.1f %10s %d" % (scen, tool, wall, cpu, rss, ratio, bad[(s, tool)]))
print("\nratio = reference tool's median wall time / this tool's (above 1: faster than the reference)")
PY
