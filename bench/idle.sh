#!/usr/bin/env bash
# Idle cost: the launcher's CPU use and resident memory over SECONDS on the home
# page (demo content from the stand-in, under Xvfb), with the background video
# playing and with it switched off, beside a bare Qt widgets program showing a
# 1280 x 720 window for the same time (the floor any Qt window costs). CPU is
# user + system time of the process over the window of measurement; memory is
# the mean and the peak of VmRSS sampled every second.
# Needs the development port 127.0.0.1:8686 free (the manifests' development
# hosts); stop scripts/demo first.
# Usage: bench/idle.sh [build dir] [seconds, default 60]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
SECS=${2:-60}
WARMUP=20

if [ "${IDLE_INNER:-}" != 1 ]; then
    for f in "$BUILD/src/quillmere-launcher" "$BUILD/bench/bare_window" "$BUILD/publisher/quillmere-publisher"; do
        [ -x "$f" ] || { echo "build first: $f is missing (cmake --build $BUILD)"; exit 1; }
    done
    if (exec 3<>/dev/tcp/127.0.0.1/8686) 2>/dev/null; then
        echo "idle: 127.0.0.1:8686 is taken (is scripts/demo running?)"
        exit 1
    fi
    WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/idle-bench.XXXXXX")
    "$ROOT/scripts/make-demo-content" "$WORK/content" "$BUILD" >/dev/null
    "$BUILD/publisher/quillmere-publisher" --content "$WORK/content" --port 8686 >/dev/null 2>"$WORK/publisher.log" &
    PUBLISHER_PID=$!
    trap 'kill -TERM $PUBLISHER_PID 2>/dev/null; wait $PUBLISHER_PID 2>/dev/null; rm -rf "$WORK"' EXIT
    mkdir -p "$WORK/home" "$WORK/run"
    chmod 700 "$WORK/run"
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
    unset QT_QPA_PLATFORM
    IDLE_INNER=1 WORK=$WORK xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$BUILD" "$SECS"
    exit
fi

TICK=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Measures a running process for SECS: "cpu% mean_rss_mb peak_rss_mb".
measure() {
    local pid=$1 start end sum=0 peak=0 n=0 rss i
    start=$(cpu_ticks "$pid")
    for i in $(seq "$SECS"); do
        sleep 1
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
        sum=$((sum + rss)); n=$((n + 1))
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    end=$(cpu_ticks "$pid")
    awk -v t=$((end - start)) -v hz="$TICK" -v s="$SECS" -v m=$((sum / n)) -v p="$peak" \
        'BEGIN { printf "%.1f %.0f %.0f", 100 * t / hz / s, m / 1024, p / 1024 }'
}
launcher() { # video: 1 on, 0 off
    local app=$WORK/app-$1
    rm -rf "$app"
    mkdir -p "$app"
    cp "$BUILD/src/quillmere-launcher" "$app/"
    echo 1 >"$app/launcher_type.ini"
    printf '[Launcher]\nrunningtype=1\n' >"$app/config.ini"
    # The service decides whether the video plays (its base info's
    # "isShowBgVideo"); the stand-in reads the file on every request.
    local show=true
    [ "$1" = 0 ] && show=false
    sed -i -E "s/\"isShowBgVideo\": *(true|false)/\"isShowBgVideo\": $show/" "$WORK/content/services.json"
    "$app/quillmere-launcher" >/dev/null 2>&1 &
    local pid=$!
    sleep "$WARMUP" # the poster, the video's frames and the home content arrive
    local playing=0
    grep -q "The background video plays" "$app/logs/log.txt" && playing=1
    if [ "$playing" != "$1" ]; then
        echo "idle: the video is $([ $playing = 1 ] && echo playing || echo not playing) after ${WARMUP} s" >&2
        kill -TERM $pid
        exit 1
    fi
    measure $pid
    kill -TERM $pid
    wait $pid 2>/dev/null || true
}
bare() {
    "$BUILD/bench/bare_window" >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    measure $pid
    kill -TERM $pid
    wait $pid 2>/dev/null || true
}

read -r von_cpu von_rss von_peak <<<"$(launcher 1)"
read -r voff_cpu voff_rss voff_peak <<<"$(launcher 0)"
read -r b_cpu b_rss b_peak <<<"$(bare)"
echo "idle on the home page for ${SECS} s under Xvfb ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
printf '  launcher, video playing   cpu %5.1f %%   rss mean %4d MB  peak %4d MB\n' "$von_cpu" "$von_rss" "$von_peak"
printf '  launcher, video off       cpu %5.1f %%   rss mean %4d MB  peak %4d MB\n' "$voff_cpu" "$voff_rss" "$voff_peak"
printf '  bare Qt window            cpu %5.1f %%   rss mean %4d MB  peak %4d MB\n' "$b_cpu" "$b_rss" "$b_peak"
awk -v a="$voff_rss" -v b="$b_rss" 'BEGIN { printf "  resident memory, launcher (video off) / bare: %.2f\n", a / b }'
