#!/usr/bin/env bash
# Download engine against curl on loopback, the same files from two hosts (nginx,
# started here on a free port with a configuration of its own, and the publisher
# stand-in):
#   one   one 1 GiB package file:     KVDownloadTaskManager / curl
#   eight 8 files of 128 MiB at once: KVDownloadTaskManager / curl --parallel --parallel-max 8
#   small 2000 files of 4 KiB:        DownloadFilesManager / curl -K over one kept-alive connection
# then the speed limit: 2 files under a 400 KiB/s cap, the measured rate as a ratio to the cap.
#
# The files hold real data, never sparse: blocks of random bytes alternating with
# compressible text. Every output of every run is checked against the MD5 of its
# source; a wrong or missing file ends the benchmark as a failure. Engine and curl
# run in turns, the order alternating from run to run, each into fresh folders
# (the previous outputs are removed and written back before the clock starts).
# Each run is timed by /usr/bin/time: wall, CPU (user + sys of the process) and
# peak resident memory. Printed per case: the medians, and the median of the
# per-run ratios engine / curl with their spread (lowest and highest); lower is
# better. CPU is the steadier measure on a shared machine.
#
#   bench/download.sh [--quick] [build dir, default build]
#   RUNS=n (default 5)  HOSTS="nginx standin" (default both)
# --quick: 64 MiB, 8 x 8 MiB and 200 small files, for a smoke run.
set -euo pipefail
QUICK=0
if [ "${1:-}" = --quick ]; then
    QUICK=1
    shift
fi
BUILD=${1:-build}
RUNS=${RUNS:-5}
HOSTS=${HOSTS:-nginx standin}
HERE=$(cd "$(dirname "$0")" && pwd)
PUBLISHER=$BUILD/publisher/quillmere-publisher
ENGINE=$(realpath "$BUILD/bench/download_bench")
for tool in "$PUBLISHER" "$ENGINE" /usr/bin/time; do [ -x "$tool" ] || { echo "missing $tool (build it first)" >&2; exit 1; }; done
command -v curl >/dev/null || { echo "curl is missing" >&2; exit 1; }

if [ $QUICK = 1 ]; then
    ONE_MIB=64 PART_MIB=8 SMALL_COUNT=200
else
    ONE_MIB=1024 PART_MIB=128 SMALL_COUNT=2000
fi

WORK=$(mktemp -d)
CONTENT=$WORK/content
mkdir -p "$CONTENT/files/pkg" "$CONTENT/files/small"
PID=
cleanup() {
    [ -n "$PID" ] && kill -TERM "$PID" 2>/dev/null && wait "$PID" 2>/dev/null
    "$HERE/../scripts/nginx-serve" stop "$WORK/nginx" >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# <path> <MiB>: 1 MiB of random bytes, then 1 MiB of text, and so on.
make_data() {
    local path=$1 mib=$2 i
    : >"$path"
    for ((i = 0; i < mib; i += 2)); do
        head -c $((1 << 20)) /dev/urandom >>"$path"
        if ((i + 1 < mib)); then
            { seq -f "%012.0f quillmere package record, level data and text" $((i * 20000)) $((i * 20000 + 30000)) || true; } \
                | head -c $((1 << 20)) >>"$path"
        fi
    done
}

# Package files: their names declare size and MD5, as a release's do, so the
# engine's timings include its own digest checks.
package_name() { echo "$1_size_$(stat -c %s "$2")_md5_$(md5sum <"$2" | cut -c1-32).bin"; }
make_data "$WORK/one" $ONE_MIB
ONE=$(package_name one "$WORK/one")
mv "$WORK/one" "$CONTENT/files/pkg/$ONE"
PARTS=()
for i in 1 2 3 4 5 6 7 8; do
    make_data "$WORK/part" $PART_MIB
    PARTS+=("$(package_name "part$i" "$WORK/part")")
    mv "$WORK/part" "$CONTENT/files/pkg/${PARTS[-1]}"
done
make_data "$CONTENT/files/pkg/capped1.bin" 2
make_data "$CONTENT/files/pkg/capped2.bin" 2
head -c $((SMALL_COUNT * 4096 / 2)) /dev/urandom >"$WORK/small"
{ seq -f "%08.0f small file text" 1 $((SMALL_COUNT * 100)) || true; } | head -c $((SMALL_COUNT * 4096 / 2)) >>"$WORK/small"
split -b 4096 -a 4 -d "$WORK/small" "$CONTENT/files/small/f"
rm "$WORK/small"
(cd "$CONTENT/files/small" && md5sum f*) >"$WORK/small.md5"
(cd "$CONTENT/files/pkg" && md5sum "$ONE") >"$WORK/one.md5"
(cd "$CONTENT/files/pkg" && md5sum "${PARTS[@]}") >"$WORK/eight.md5"

"$PUBLISHER" --content "$CONTENT" --port 0 >"$WORK/port" 2>"$WORK/publisher.log" &
PID=$!
for _ in $(seq 50); do [ -s "$WORK/port" ] && break; sleep 0.1; done
declare -A BASE
BASE[standin]="http://127.0.0.1:$(head -1 "$WORK/port")/files"
BASE[nginx]="http://127.0.0.1:$("$HERE/../scripts/nginx-serve" start "$CONTENT" "$WORK/nginx")/files"

# The small-files document of each host.
for host in nginx standin; do
    {
        printf '{"packedhost":"%s/small/","smallFilesInfo":[' "${BASE[$host]}"
        awk '{ printf "%s{\"dest\":\"%s\",\"md5\":\"%s\",\"size\":4096}", (NR > 1 ? "," : ""), $2, $1 }' "$WORK/small.md5"
        printf ']}'
    } >"$CONTENT/files/small-$host.json"
done

fresh() {
    rm -rf "$WORK/app" "$WORK/ref" "$WORK/game"
    mkdir -p "$WORK/app" "$WORK/ref" "$WORK/game"
    sync
}
# <case> <host> <tool>: the command of one run.
command_of() {
    local base=${BASE[$2]} args=() p
    case "$1:$3" in
    one:engine) echo "$ENGINE" "$WORK/app" package $((ONE_MIB << 20)) "$base/pkg/$ONE" ;;
    one:curl) echo curl -s -o "$WORK/ref/$ONE" "$base/pkg/$ONE" ;;
    eight:engine)
        for p in "${PARTS[@]}"; do args+=("$base/pkg/$p"); done
        echo "$ENGINE" "$WORK/app" package $((8 * PART_MIB << 20)) "${args[@]}"
        ;;
    eight:curl)
        for p in "${PARTS[@]}"; do args+=(-o "$WORK/ref/$p" "$base/pkg/$p"); done
        echo curl -s --parallel --parallel-max 8 "${args[@]}"
        ;;
    small:engine) echo "$ENGINE" "$WORK/app" smallfiles $((SMALL_COUNT * 4096)) "$base/small-$2.json" "$WORK/game" ;;
    small:curl)
        awk -v base="$base" -v out="$WORK/ref" '{ printf "url = \"%s/small/%s\"\noutput = \"%s/%s\"\n", base, $2, out, $2 }' \
            "$WORK/small.md5" >"$WORK/curl-$2.cfg"
        echo curl -s -K "$WORK/curl-$2.cfg"
        ;;
    esac
}
# <case> <tool>: the folder its outputs land in.
output_dir() {
    case "$1:$2" in
    small:engine) echo "$WORK/game" ;;
    *:engine) echo "$WORK/app/Downloads" ;;
    *) echo "$WORK/ref" ;;
    esac
}
# <case> <host> <tool>: one timed run; prints "wall cpu maxrss_kb" or fails.
run_once() {
    local cmd
    read -r -a cmd <<<"$(command_of "$@")"
    fresh
    if ! /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "${cmd[@]}" >"$WORK/out" 2>"$WORK/err"; then
        echo "FAILED: $3 on $1 from $2 exited non-zero" >&2
        tail -5 "$WORK/err" "$WORK/out" >&2
        return 1
    fi
    if ! (cd "$(output_dir "$1" "$3")" && md5sum --quiet -c "$WORK/$1.md5" >"$WORK/check" 2>&1); then
        echo "FAILED: $3 on $1 from $2 wrote wrong or missing files:" >&2
        head -5 "$WORK/check" >&2
        return 1
    fi
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$WORK/time"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
spread() { sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.2f-%.2f", lo, hi }'; }

# <case> <host> <goal> <label>
bench_case() {
    local c=$1 host=$2 goal=$3 label=$4 run first second e r
    : >"$WORK/rows"
    for ((run = 1; run <= RUNS; run++)); do
        if ((run % 2)); then first=engine second=curl; else first=curl second=engine; fi
        declare -A res
        res[$first]=$(run_once "$c" "$host" $first) || exit 1
        res[$second]=$(run_once "$c" "$host" $second) || exit 1
        echo "${res[engine]} ${res[curl]}" >>"$WORK/rows"
    done
    # rows: engine wall cpu rss, curl wall cpu rss
    col() { awk -v c="$1" '{ print $c }' "$WORK/rows"; }
    local ew ec cw cc wr cr er cr_kb
    ew=$(col 1 | median) ec=$(col 2 | median) er=$(col 3 | sort -g | tail -1)
    cw=$(col 4 | median) cc=$(col 5 | median) cr_kb=$(col 6 | sort -g | tail -1)
    awk '{ print ($4 > 0 ? $1 / $4 : 99) }' "$WORK/rows" >"$WORK/wr"
    awk '{ print ($5 > 0 ? $2 / $5 : 99) }' "$WORK/rows" >"$WORK/cr"
    wr=$(median <"$WORK/wr") cr=$(median <"$WORK/cr")
    printf '%-7s %-22s wall engine %6.2f s curl %6.2f s ratio %.2f (%s, goal <= %s) | CPU engine %6.2f s curl %6.2f s ratio %.2f (%s) | peak RSS engine %d MB curl %d MB\n' \
        "$host" "$label" "$ew" "$cw" "$wr" "$(spread <"$WORK/wr")" "$goal" "$ec" "$cc" "$cr" "$(spread <"$WORK/cr")" \
        $((er / 1024)) $((cr_kb / 1024))
}

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $RUNS runs each, medians (spread of the ratios)"
for host in $HOSTS; do
    bench_case one "$host" 1.0 "1 x ${ONE_MIB} MiB"
    bench_case eight "$host" 1.2 "8 x ${PART_MIB} MiB"
    bench_case small "$host" 1.5 "${SMALL_COUNT} x 4 KiB"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# The speed limit over two files at once: about ten seconds at the cap.
CAP_KIB=400
fresh
read -r -a CMD <<<"$ENGINE --speed $CAP_KIB $WORK/app package $((4 << 20)) ${BASE[nginx]}/pkg/capped1.bin ${BASE[nginx]}/pkg/capped2.bin"
/usr/bin/time -f "%e" -o "$WORK/time" "${CMD[@]}" >/dev/null
[ "$(cat "$WORK"/app/Downloads/capped*.bin | wc -c)" = $((4 << 20)) ] || { echo "FAILED: capped package incomplete" >&2; exit 1; }
T_CAPPED=$(cat "$WORK/time")
echo "speed limit ${CAP_KIB} KiB/s, 2 files: $(awk -v t="$T_CAPPED" 'BEGIN { printf "%.1f KiB/s, ratio to the cap %.2f", 4096 / t, 4096 / t / 400 }') (goal 0.85 to 1.0)"
