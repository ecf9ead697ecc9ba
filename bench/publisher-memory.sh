#!/usr/bin/env bash
# Serves a 2 GiB sparse file from the publisher stand-in and prints the server's peak
# resident memory while curl downloads it whole and as a ranged resume: memory must
# stay flat (a few MB), whatever the file's size.
#   bench/publisher-memory.sh [build dir, default build] [size, default 2G]
set -euo pipefail
BUILD=${1:-build}
SIZE=${2:-2G}
PUBLISHER=$BUILD/publisher/quillmere-publisher
[ -x "$PUBLISHER" ] || { echo "build $PUBLISHER first" >&2; exit 1; }

WORK=$(mktemp -d)
mkdir -p "$WORK/content/files"
truncate -s "$SIZE" "$WORK/content/files/big.bin"
BYTES=$(stat -c %s "$WORK/content/files/big.bin")

"$PUBLISHER" --content "$WORK/content" --port 0 >"$WORK/port" 2>"$WORK/log" &
PID=$!
trap 'kill -TERM $PID 2>/dev/null; wait $PID 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 50); do [ -s "$WORK/port" ] && break; sleep 0.1; done
URL="http://127.0.0.1:$(head -1 "$WORK/port")/files/big.bin"

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$PID/status"; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$PID/status"; }

IDLE=$(rss_kb)
START=$(date +%s.%N)
curl -s -o /dev/null -w '%{http_code} %{size_download} bytes at %{speed_download} B/s\n' "$URL"
END=$(date +%s.%N)
curl -s -o /dev/null -H "Range: bytes=$((BYTES / 2))-" -w '%{http_code} %{size_download} bytes (ranged resume)\n' "$URL"
PEAK=$(hwm_kb)

echo "file size:              $BYTES bytes"
echo "server RSS idle:        ${IDLE} kB"
echo "server peak RSS:        ${PEAK} kB"
awk -v p="$PEAK" -v b="$BYTES" -v s="$START" -v e="$END" 'BEGIN {
    printf "peak RSS / file size:   %.5f\n", p * 1024 / b;
    printf "whole download:         %.2f s\n", e - s }'
