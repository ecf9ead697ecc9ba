#!/usr/bin/env bash
# Start-up: from the process start to the main window on screen, the launcher
# against a bare Qt widgets program that shows a 1280 x 720 window, both under
# one Xvfb. Each program measures its own time the same way (process start
# time from /proc, first expose of its window). One warm-up run each, then
# RUNS runs interleaved with the order alternating; prints the medians, the
# spread and the ratio (launcher / bare; lower is better).
# Usage: bench/startup.sh [build dir] [runs, default 9]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
RUNS=${2:-9}

if [ "${STARTUP_INNER:-}" != 1 ]; then
    for f in "$BUILD/src/quillmere-launcher" "$BUILD/bench/bare_window"; do
        [ -x "$f" ] || { echo "build first: $f is missing (cmake --build $BUILD)"; exit 1; }
    done
    WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/startup-bench.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
    mkdir -p "$WORK/app" "$WORK/home" "$WORK/run"
    chmod 700 "$WORK/run"
    cp "$BUILD/src/quillmere-launcher" "$WORK/app/"
    echo 1 >"$WORK/app/launcher_type.ini"
    printf '[Launcher]\nrunningtype=1\n' >"$WORK/app/config.ini"
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
    unset QT_QPA_PLATFORM
    STARTUP_INNER=1 WORK=$WORK xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$BUILD" "$RUNS"
    exit
fi

# Runs one program until it reports its window on screen; prints the milliseconds.
wait_for() { # file pattern pid
    local i
    for i in $(seq 400); do
        if grep -qs "$2" $1; then
            grep -hs "$2" $1 | tail -1 | sed -E 's/.*screen ([0-9]+) ms.*/\1/'
            return 0
        fi
        kill -0 "$3" 2>/dev/null || break
        sleep 0.05
    done
    echo "startup: no window within 20 s" >&2
    return 1
}
run_bare() {
    "$BUILD/bench/bare_window" >"$WORK/bare.out" 2>/dev/null &
    local pid=$!
    wait_for "$WORK/bare.out" "on screen" $pid
    kill -TERM $pid
    wait $pid 2>/dev/null || true
}
run_launcher() {
    rm -rf "$WORK/app/logs"
    "$WORK/app/quillmere-launcher" >/dev/null 2>&1 &
    local pid=$!
    wait_for "$WORK/app/logs/log.txt" "The main window is on screen" $pid
    kill -TERM $pid
    wait $pid 2>/dev/null || true
}

run_bare >/dev/null
run_launcher >/dev/null
ours=()
bare=()
# A run that reports no time (no window, a second copy handed over) ends the
# benchmark instead of counting as 0 ms.
measure() { # name function
    local ms
    ms=$($2)
    [[ "$ms" =~ ^[0-9]+$ ]] || { echo "startup: the $1 run reported no time (\"$ms\")" >&2; exit 1; }
    echo "$ms"
}
for i in $(seq "$RUNS"); do
    if [ $((i % 2)) -eq 1 ]; then
        ours+=("$(measure launcher run_launcher)")
        bare+=("$(measure bare run_bare)")
    else
        bare+=("$(measure bare run_bare)")
        ours+=("$(measure launcher run_launcher)")
    fi
done
stats() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {m=(NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2; printf "%d %d %d", m, v[1], v[NR]}'; }
read -r om omin omax <<<"$(stats "${ours[@]}")"
read -r bm bmin bmax <<<"$(stats "${bare[@]}")"
echo "start-up to window on screen, Xvfb, $RUNS runs interleaved ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
printf '  launcher      median %5d ms  (%d..%d)\n' "$om" "$omin" "$omax"
printf '  bare Qt       median %5d ms  (%d..%d)\n' "$bm" "$bmin" "$bmax"
awk -v a="$om" -v b="$bm" 'BEGIN { printf "  ratio launcher / bare: %.2f  (goal <= 1.5)\n", a / b }'
