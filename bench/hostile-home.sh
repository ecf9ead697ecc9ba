#!/usr/bin/env bash
# Hostile home content: the launcher on the demo content from the stand-in made
# hostile - a poster whose header declares 30000 x 30000 pixels (its digest
# matching), news answers of 100000 entries whatever page size was asked, and an
# alert picture whose host never answers - for SECONDS under Xvfb, beside the
# same launcher on the plain demo content. Prints each run's peak resident
# memory (VmRSS sampled every second) and the longest stall of its GUI thread,
# measured inside the process by a probe timer (bench/stall_probe.cpp, loaded
# as a Qt generic plug-in), over the whole run and after its first 20 s; then
# the ratios hostile / plain.
# Needs the development port 127.0.0.1:8686 free (the manifests' development
# hosts); stop scripts/demo first.
# Usage: bench/hostile-home.sh [build dir] [seconds, default 60; 300 for five minutes]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
SECS=${2:-60}

if [ "${HOSTILE_INNER:-}" != 1 ]; then
    for f in "$BUILD/src/quillmere-launcher" "$BUILD/publisher/quillmere-publisher" \
        "$BUILD/bench/probe/generic/libstallprobe.so"; do
        [ -e "$f" ] || { echo "build first: $f is missing (cmake --build $BUILD)"; exit 1; }
    done
    if (exec 3<>/dev/tcp/127.0.0.1/8686) 2>/dev/null; then
        echo "hostile-home: 127.0.0.1:8686 is taken (is scripts/demo running?)"
        exit 1
    fi
    WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/hostile-home.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
    "$ROOT/scripts/make-demo-content" "$WORK/plain" "$BUILD" >/dev/null
    cp -a "$WORK/plain" "$WORK/hostile"
    python3 - "$WORK/hostile" <<'PY'
import hashlib, json, struct, sys, zlib
root = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
# 4 x 4 pixels of data under a header that declares 30000 x 30000.
rows = b"".join(b"\0" + b"\x80" * 12 for _ in range(4))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 30000, 30000, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(root + "/files/home/poster-huge.png", "wb").write(png)
path = root + "/services.json"
services = json.load(open(path))
services["images"][0]["imageUrl"] = "{base}/files/home/poster-huge.png"
services["images"][0]["md5"] = hashlib.md5(png).hexdigest()
services["news"] = [{"id": 1000 + i, "informationType": 2 + i % 3, "title": "News entry %d" % i,
                     "updateTime": "2025-05-02 09:00:00", "collectionId": "1"} for i in range(100000)]
services["message"]["bannerUrl"] = "{base}/files/home/notice-stalled.png"
json.dump(services, open(path, "w"))
# The alert picture's host answers nothing for longer than the run; the news
# service ignores the page size asked for.
json.dump({"stallMs": 3600000, "pathPrefix": "/files/home/notice-stalled", "newsPageSize": 100000},
          open(root + "/control.json", "w"))
PY
    mkdir -p "$WORK/home" "$WORK/run"
    chmod 700 "$WORK/run"
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
    unset QT_QPA_PLATFORM
    HOSTILE_INNER=1 WORK=$WORK xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$BUILD" "$SECS"
    exit
fi

# One run on content folder $1: "peak_rss_mb longest_stall_ms at_s later_stall_ms".
run() {
    "$BUILD/publisher/quillmere-publisher" --content "$WORK/$1" --port 8686 >/dev/null 2>"$WORK/$1-publisher.log" &
    local publisher=$! i
    for i in $(seq 100); do
        (exec 3<>/dev/tcp/127.0.0.1/8686) 2>/dev/null && break
        sleep 0.1
    done
    local app=$WORK/app-$1
    rm -rf "$app"
    mkdir -p "$app"
    cp "$BUILD/src/quillmere-launcher" "$app/"
    echo 1 >"$app/launcher_type.ini"
    printf '[Launcher]\nrunningtype=1\n' >"$app/config.ini"
    QT_PLUGIN_PATH=$BUILD/bench/probe QT_QPA_GENERIC_PLUGINS=stallprobe STALL_PROBE_OUT=$WORK/$1.stall \
        "$app/quillmere-launcher" >/dev/null 2>&1 &
    local pid=$! peak=0 rss
    for i in $(seq "$SECS"); do
        sleep 1
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
        [ "${rss:-0}" -gt "$peak" ] && peak=$rss
    done
    local stall="? ? ?"
    [ -s "$WORK/$1.stall" ] && stall=$(cut -d' ' -f1-3 "$WORK/$1.stall")
    kill -TERM $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    kill -TERM $publisher 2>/dev/null || true
    wait $publisher 2>/dev/null || true
    echo "$((peak / 1024)) $stall"
}

read -r p_rss p_stall p_at p_later <<<"$(run plain)"
read -r h_rss h_stall h_at h_later <<<"$(run hostile)"
echo "home page for ${SECS} s under Xvfb ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
printf '  plain demo content     peak rss %5s MB   longest GUI stall %5s ms (at %s s), after 20 s %5s ms\n' \
    "$p_rss" "$p_stall" "$p_at" "$p_later"
printf '  hostile content        peak rss %5s MB   longest GUI stall %5s ms (at %s s), after 20 s %5s ms\n' \
    "$h_rss" "$h_stall" "$h_at" "$h_later"
awk -v hr="$h_rss" -v pr="$p_rss" -v hs="$h_stall" -v ps="$p_stall" -v hl="$h_later" -v pl="$p_later" 'BEGIN {
    printf "  hostile / plain: peak memory %.2f, longest stall %.2f, after 20 s %.2f\n",
        hr / pr, hs / (ps > 0 ? ps : 1), hl / (pl > 0 ? pl : 1) }'
