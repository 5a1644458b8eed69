#!/usr/bin/env bash
# How the job list scales: kestrune-cli `add` of many URLs in one command, `list`
# of that many projects (wall time and peak memory from /usr/bin/time -v, the
# median of several rounds), and kestrune.exe under Wine until its job list
# view holds every row. The program folder lives on tmpfs so the disk does not
# decide. Usage: bench/joblist.sh [PROJECTS] [ROUNDS]   (default 10000, 3)
#   KESTRUNE_BENCH_NO_WINE=1 skips the window.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
N="${1:-10000}"
ROUNDS="${2:-3}"
cmake --preset release >/dev/null && cmake --build --preset release --target kestrune-cli >/dev/null || exit 1
CLI="$ROOT/build/release/kestrune-cli"
SHM="$(mktemp -d /dev/shm/kestrune-joblist.XXXXXX)"
trap 'rm -rf "$SHM"' EXIT
RESULTS="$SHM/results.txt"
: > "$RESULTS"

for i in $(seq 1 "$N"); do echo "http://127.0.0.1:1/files/f$i.zip"; done > "$SHM/urls"
mapfile -t URLS < "$SHM/urls"

# timed NAME CMD... : one run, its wall and CPU seconds and peak KiB appended to RESULTS.
timed() {
    local name=$1; shift
    /usr/bin/time -v -o "$SHM/time" "$@" > "$SHM/out" 2> "$SHM/err"
    local rc=$?
    local wall rss cpu
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
           for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$SHM/time")
    rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$SHM/time")
    cpu=$(awk -F': ' '/(User|System) time \(seconds\)/ {s += $2} END {print s}' "$SHM/time")
    echo "$name $wall $rss $rc $cpu" >> "$RESULTS"
}

for r in $(seq 1 "$ROUNDS"); do
    rm -rf "$SHM/home" && mkdir "$SHM/home"
    timed add "$CLI" --home "$SHM/home" add "${URLS[@]}"
    timed list "$CLI" --home "$SHM/home" list
    rows=$(wc -l < "$SHM/out")
    [ "$rows" -eq "$N" ] || echo "list BAD rows=$rows" >> "$RESULTS"
    # Onto a full list: one more command's worth of projects costs the same.
    timed add-onto "$CLI" --home "$SHM/home" add "${URLS[@]:0:1000}"
done

# The window: the GUI test program's benchmark, on a private display and Wine prefix.
if [ -z "${KESTRUNE_BENCH_NO_WINE:-}" ] && command -v Xvfb >/dev/null; then
    if cmake --preset win64 >/dev/null && cmake --build --preset win64 \
        --target kestrune kestrune_gui_tests >/dev/null; then
        # shellcheck source=../scripts/wine-env.sh
        source "$ROOT/scripts/wine-env.sh" "bench-$$"
        kwine_init
        kxvfb_start
        (cd "$ROOT/build/win64" && KESTRUNE_BENCH_PROJECTS="$N" timeout 900 \
            "$KWINE_LOADER" kestrune_gui_tests.exe bench_list_of_many > "$SHM/gui" 2>&1)
        kwine_stop
        kxvfb_stop
        rm -rf "$WINEPREFIX"
        grep -q '^PASS bench_list_of_many' "$SHM/gui" || { echo "window: run failed"; cat "$SHM/gui"; }
        grep '^bench list_of_many' "$SHM/gui" | sed 's/^bench list_of_many //' > "$SHM/gui-figures"
    else
        echo "window: the win64 build failed, skipped"
    fi
fi

python3 - "$RESULTS" "$N" "$SHM/gui-figures" <<'PY'
import sys, statistics, collections, os
results, n, gui = sys.argv[1], int(sys.argv[2]), sys.argv[3]
runs = collections.defaultdict(list)
bad = []
for line in open(results):
    p = line.split()
    if p[1] == "BAD": bad.append(line.strip()); continue
    name, wall, rss, rc, cpu = p[0], float(p[1]), int(p[2]), int(p[3]), float(p[4])
    runs[name].append((wall, rss / 1024, rc, cpu))
targets = {"add": (2.0, None), "list": (0.5, 32.0), "add-onto": (None, None)}
what = {"add": "add %d URLs" % n, "list": "list %d projects" % n,
        "add-onto": "add 1000 onto %d" % n}
print("\n%-24s %8s %8s %9s %6s  %s" % ("command", "wall s", "cpu s", "rss MiB", "exit", "target"))
for name, v in runs.items():
    wall = statistics.median(x[0] for x in v)
    cpu = statistics.median(x[3] for x in v)
    rss = max(x[1] for x in v)
    rc = max(x[2] for x in v)
    tw, tm = targets.get(name, (None, None))
    verdict = []
    if tw: verdict.append("%s under %.1f s" % ("met" if wall < tw else "MISSED", tw))
    if tm: verdict.append("%s under %d MiB" % ("met" if rss < tm else "MISSED", tm))
    print("%-24s %8.2f %8.2f %9.1f %6d  %s" % (what[name], wall, cpu, rss, rc, ", ".join(verdict)))
for b in bad: print(b)
if os.path.exists(gui) and os.path.getsize(gui):
    print("\nkestrune.exe under Wine, %d saved projects (ms from process start):" % n)
    for line in open(gui):
        f = dict(kv.split("=") for kv in line.split())
        filled = int(f["filled_ms"])
        print("  %-6s run: window %5s, list view holds every row %5d (%s under 3000), exit %s"
              % (f["run"], f["window_ms"], filled, "met" if filled < 3000 else "MISSED",
                 f["exit_ms"]))
print("\nwall, cpu (user + system): medians of the rounds; rss: the largest peak resident set")
print("load average while measuring: %s" % open("/proc/loadavg").read().split()[0])
PY
