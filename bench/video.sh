#!/usr/bin/env bash
# The background video label playing the demo video offscreen for 20 s (10 frames of
# 1280 x 720, as scripts/make-demo-content makes them, at the launcher's 30 ms), beside
# the same label with the video stopped and the naive label that decodes each frame in
# its paint; then the same with textured frames (as a real video's stills), which cost
# far more to decode. Prints per run: the process's CPU use, the share of ticks whose
# frame was ready, and the longest stall of the GUI thread.
# Usage: bench/video.sh [build dir] [seconds, default 20]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
SECONDS_RUN=${2:-20}
BENCH=$BUILD/bench/video_bench
[ -x "$BENCH" ] || { echo "build the video_bench target first ($BENCH)"; exit 1; }
command -v convert >/dev/null || { echo "ImageMagick's convert is missing"; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/video-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FRAMES=$WORK/app/QtQuick/WebPage/video/default
mkdir -p "$FRAMES"
colors=('#1d2b3a' '#24364a' '#2c425a' '#344e6a' '#3c5a7a' '#44668a' '#3c5a7a' '#344e6a' '#2c425a' '#24364a')
for i in "${!colors[@]}"; do
    convert -size 1280x720 xc:"${colors[$i]}" "$FRAMES/frame_$(printf %03d "$i").png"
done

export QT_QPA_PLATFORM=offscreen
run_all() {
    for mode in stopped play inpaint; do
        "$BENCH" "$WORK/app" "$SECONDS_RUN" "$mode" 2>/dev/null
    done
}
echo "demo frames (flat colours):"
run_all
rm -f "$FRAMES"/*.png
for i in $(seq 0 9); do
    convert -size 1280x720 -seed "$i" plasma:fractal "$FRAMES/frame_$(printf %03d "$i").png"
done
echo "textured frames ($(du -sh "$FRAMES" | cut -f1)):"
run_all
