#!/usr/bin/env bash
# A whole first install: a package of four .7z archives served by nginx (the
# service itself answers from the stand-in) installed by the launcher's window
# (download, then extraction, as a player's click starts it) against curl
# fetching the same four files in parallel followed by `7zz x` of each, one
# after another. Every run's output is checked against the release tree (each
# file's digest, nothing missing, nothing more); a wrong output stops the
# benchmark. RUNS runs interleaved, order alternating; prints the medians and
# spread of wall and CPU time (user + system of each whole process tree) and the
# ratios ours / reference (lower is better), and the launcher's peak disk use
# (the most its folder held, sampled every 20 ms, highest of the runs) beside
# the installed size and the archives' sizes: the launcher extracts each
# archive while later ones download and deletes it once extracted, and its
# bound is the installed size plus the two largest archives.
# Usage: bench/install.sh [build dir] [package MiB, default 256] [runs, default 5]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
MIB=${2:-256}
RUNS=${3:-5}
BENCH=$BUILD/bench/install_bench
PUBLISHER=$BUILD/publisher/quillmere-publisher
for f in "$BENCH" "$PUBLISHER"; do
    [ -x "$f" ] || { echo "build first: $f is missing (cmake --build $BUILD)"; exit 1; }
done
for tool in curl 7zz /usr/bin/time /usr/sbin/nginx; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/bootstrap installs it)"; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/install-bench.XXXXXX")
PUBLISHER_PID=""
cleanup() {
    [ -n "$PUBLISHER_PID" ] && kill -TERM "$PUBLISHER_PID" 2>/dev/null && wait "$PUBLISHER_PID" 2>/dev/null
    "$ROOT/scripts/nginx-serve" stop "$WORK/nginx" || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# The release: a third incompressible, a third text-like (base64), a third
# numeric tables, in files of 4 MiB under a few folders, and the executable.
TREE=$WORK/versions/1.0.0
mkdir -p "$TREE/data" "$TREE/maps" "$TREE/tables"
files=$((MIB / 4))
for i in $(seq 1 "$files"); do
    case $((i % 3)) in
    0) head -c 4194304 /dev/urandom >"$TREE/data/pack$i.bin" ;;
    # (the writers end early when head has enough: not an error)
    1) { head -c 3145728 /dev/urandom | base64 -w 100 | head -c 4194304 >"$TREE/maps/map$i.txt"; } || true ;;
    2) { seq $((i * 1000000)) 7 $((i * 1000000 + 4000000)) | head -c 4194304 >"$TREE/tables/table$i.csv"; } || true ;;
    esac
done
cp "$BUILD/publisher/demo-game/quillmere" "$TREE/quillmere" 2>/dev/null || printf '#!/bin/sh\n' >"$TREE/quillmere"
chmod +x "$TREE/quillmere"
echo 1.0.0 >"$TREE/quillmere_version.ini"
total=$(du -sb "$TREE" | cut -f1)
"$PUBLISHER" build --versions "$WORK/versions" --content "$WORK/content" --game-id 60001 --format 7z \
    --part-size $(((files + 3) / 4 * 4194304 + 1048576)) >/dev/null
mapfile -t ARCHIVES < <(cd "$WORK/content/files" && find . -name '*.7z' | sed 's#^\./##' | sort)
(cd "$TREE" && find . -type f -exec md5sum {} + | sort -k2) >"$WORK/expected.md5"

NGINX_PORT=$("$ROOT/scripts/nginx-serve" start "$WORK/content/files" "$WORK/nginx")
"$PUBLISHER" --content "$WORK/content" --port 0 --files-host "http://127.0.0.1:$NGINX_PORT" \
    >"$WORK/publisher.port" 2>"$WORK/publisher.log" &
PUBLISHER_PID=$!
for _ in $(seq 100); do [ -s "$WORK/publisher.port" ] && break; sleep 0.1; done
SERVICE="http://127.0.0.1:$(head -1 "$WORK/publisher.port")"

verify() { # folder
    local got
    got=$(cd "$1" && find . -type f -exec md5sum {} + | sort -k2)
    if [ "$got" != "$(cat "$WORK/expected.md5")" ]; then
        echo "install: WRONG OUTPUT in $1; stopping" >&2
        diff <(echo "$got") "$WORK/expected.md5" | head >&2
        exit 1
    fi
}
# Each prints "wall_ms cpu_ms"; ours appends its peak disk use to $WORK/peaks.
run_ours() {
    rm -rf "$WORK/app"
    mkdir -p "$WORK/app"
    QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%e %U %S" -o "$WORK/time" "$BENCH" "$WORK/app" "$SERVICE" \
        >"$WORK/ours.out" 2>"$WORK/ours.err"
    grep -q '^installed' "$WORK/ours.out" || { echo "install: the launcher did not finish" >&2; tail "$WORK/ours.err" >&2; exit 1; }
    verify "$WORK/app/Quillmereen"
    awk '/^installed/ { print $4 }' "$WORK/ours.out" >>"$WORK/peaks"
    awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$WORK/time"
}
run_reference() {
    rm -rf "$WORK/ref"
    mkdir -p "$WORK/ref/dl" "$WORK/ref/out"
    local args=() a
    for a in "${ARCHIVES[@]}"; do
        args+=(-o "$WORK/ref/dl/$(basename "$a")" "http://127.0.0.1:$NGINX_PORT/$a")
    done
    /usr/bin/time -f "%e %U %S" -o "$WORK/time" bash -c '
        curl -sf --parallel --parallel-max 4 "${@:2}" 2>/dev/null || exit 1
        for f in "$1"/dl/*.7z; do 7zz x -y -bd -o"$1/out" "$f" >/dev/null || exit 1; done
    ' ref "$WORK/ref" "${args[@]}"
    verify "$WORK/ref/out"
    awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$WORK/time"
}

run_ours >/dev/null # warm-up: page cache, first start of the launcher
run_reference >/dev/null
: >"$WORK/peaks"
ow=() oc=() rw=() rc=()
for i in $(seq "$RUNS"); do
    if [ $((i % 2)) -eq 1 ]; then
        read -r w c <<<"$(run_ours)"; ow+=("$w"); oc+=("$c")
        read -r w c <<<"$(run_reference)"; rw+=("$w"); rc+=("$c")
    else
        read -r w c <<<"$(run_reference)"; rw+=("$w"); rc+=("$c")
        read -r w c <<<"$(run_ours)"; ow+=("$w"); oc+=("$c")
    fi
done
stats() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {m=(NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2; printf "%d %d %d", m, v[1], v[NR]}'; }
read -r owm owl owh <<<"$(stats "${ow[@]}")"
read -r ocm ocl och <<<"$(stats "${oc[@]}")"
read -r rwm rwl rwh <<<"$(stats "${rw[@]}")"
read -r rcm rcl rch <<<"$(stats "${rc[@]}")"
echo "first install of $(du -sb "$WORK/content/files" | awk '{printf "%.0f", $1/1048576}') MiB in ${#ARCHIVES[@]} .7z archives ($((total / 1048576)) MiB installed) from nginx, $RUNS runs interleaved ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
printf '  launcher            wall %6d ms (%d..%d)   cpu %6d ms (%d..%d)\n' "$owm" "$owl" "$owh" "$ocm" "$ocl" "$och"
printf '  curl -Z + 7zz x     wall %6d ms (%d..%d)   cpu %6d ms (%d..%d)\n' "$rwm" "$rwl" "$rwh" "$rcm" "$rcl" "$rch"
awk -v a="$owm" -v b="$rwm" -v c="$ocm" -v d="$rcm" \
    'BEGIN { printf "  ratio ours / reference: wall %.2f, cpu %.2f\n", a / b, c / d }'
sizes=$(cd "$WORK/content/files" && stat -c %s "${ARCHIVES[@]}" | sort -rn)
peak=$(sort -n "$WORK/peaks" | tail -1)
bound=$((total + $(echo "$sizes" | head -2 | paste -sd+ | bc)))
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
echo "  disk: peak $(mib "$peak") (highest of $RUNS runs), installed $(mib "$total"), archives $(for a in $sizes; do printf '%s, ' "$(mib "$a")"; done | sed 's/, $//')"
awk -v p="$peak" -v b="$bound" -v m="$(mib "$bound")" 'BEGIN { printf "  peak / (installed + two largest archives = %s): %.3f\n", m, p / b }'
