#!/usr/bin/env bash
# The 2000 small files (4 KiB each) from nginx, by the small-files engine and by
# curl --parallel, over HTTP/2 with TLS and over HTTP/1.1 (plain, kept alive):
# the same protocol for both tools in each case. nginx runs twice, on free
# ports with configurations of their own (scripts/nginx-serve), one with a test
# certificate made here and trusted by both tools. Runs are interleaved (engine
# and curl in turns, the order alternating, protocols alternating) into fresh
# folders; every output is checked against its MD5. Printed: the median wall
# time and CPU of each tool and protocol, and the median of the per-run ratios.
#
#   bench/protocols.sh [build dir, default build]    RUNS=n (default 5) COUNT=n (default 2000)
set -euo pipefail
BUILD=${1:-build}
RUNS=${RUNS:-5}
COUNT=${COUNT:-2000}
HERE=$(cd "$(dirname "$0")" && pwd)
ENGINE=$(realpath "$BUILD/bench/download_bench")
for tool in "$ENGINE" /usr/bin/time /usr/sbin/nginx; do [ -x "$tool" ] || { echo "missing $tool" >&2; exit 1; }; done
/usr/sbin/nginx -V 2>&1 | grep -q -- --with-http_v2_module || { echo "this nginx has no HTTP/2 module" >&2; exit 1; }
curl -V | grep -q HTTP2 || { echo "this curl has no HTTP/2" >&2; exit 1; }

WORK=$(mktemp -d)
cleanup() {
    "$HERE/../scripts/nginx-serve" stop "$WORK/tls" >/dev/null 2>&1 || true
    "$HERE/../scripts/nginx-serve" stop "$WORK/plain" >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/content/small"
head -c $((COUNT * 2048)) /dev/urandom >"$WORK/all"
{ seq -f "%08.0f small file text" 1 $((COUNT * 100)) || true; } | head -c $((COUNT * 2048)) >>"$WORK/all"
split -b 4096 -a 5 -d "$WORK/all" "$WORK/content/small/f"
rm "$WORK/all"
(cd "$WORK/content/small" && md5sum f*) >"$WORK/small.md5"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$WORK/key.pem" -out "$WORK/cert.pem" -days 2 \
    -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null

declare -A BASE
BASE[h2]="https://127.0.0.1:$(NGINX_SERVE_TLS="$WORK/cert.pem $WORK/key.pem" "$HERE/../scripts/nginx-serve" start "$WORK/content" "$WORK/tls")"
BASE[h1]="http://127.0.0.1:$("$HERE/../scripts/nginx-serve" start "$WORK/content" "$WORK/plain")"
for proto in h1 h2; do
    {
        printf '{"packedhost":"%s/small/","smallFilesInfo":[' "${BASE[$proto]}"
        awk '{ printf "%s{\"dest\":\"%s\",\"md5\":\"%s\",\"size\":4096}", (NR > 1 ? "," : ""), $2, $1 }' "$WORK/small.md5"
        printf ']}'
    } >"$WORK/content/list-$proto.json"
    awk -v base="${BASE[$proto]}" -v out="$WORK/ref" '{ printf "url = \"%s/small/%s\"\noutput = \"%s/%s\"\n", base, $2, out, $2 }' \
        "$WORK/small.md5" >"$WORK/curl-$proto.cfg"
done
curl -s --cacert "$WORK/cert.pem" --http2 -o /dev/null -w '%{http_version}' "${BASE[h2]}/small/f00000" | grep -q '^2' \
    || { echo "nginx does not answer HTTP/2 over TLS" >&2; exit 1; }

# <proto> <tool>: one timed run; prints "wall cpu" or fails.
run_once() {
    local proto=$1 tool=$2 out cmd
    rm -rf "$WORK/app" "$WORK/ref" "$WORK/game"
    mkdir -p "$WORK/app" "$WORK/ref" "$WORK/game"
    if [ "$tool" = engine ]; then
        out=$WORK/game
        cmd=("$ENGINE" --ca "$WORK/cert.pem" "$WORK/app" smallfiles $((COUNT * 4096)) "${BASE[$proto]}/list-$proto.json" "$WORK/game")
    else
        out=$WORK/ref
        local flag=--http1.1
        [ "$proto" = h2 ] && flag=--http2
        cmd=(curl -s --cacert "$WORK/cert.pem" "$flag" --parallel --parallel-max 4 -K "$WORK/curl-$proto.cfg")
    fi
    if ! /usr/bin/time -f "%e %U %S" -o "$WORK/time" "${cmd[@]}" >"$WORK/out" 2>"$WORK/err"; then
        echo "FAILED: $tool over $proto exited non-zero" >&2
        tail -5 "$WORK/err" "$WORK/out" >&2
        return 1
    fi
    (cd "$out" && md5sum --quiet -c "$WORK/small.md5" >"$WORK/check" 2>&1) \
        || { echo "FAILED: $tool over $proto wrote wrong or missing files" >&2; head -3 "$WORK/check" >&2; return 1; }
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$WORK/time"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $COUNT x 4 KiB, $RUNS runs each, medians; curl --parallel --parallel-max 4, the engine's 4 transfers"
: >"$WORK/rows-h1"
: >"$WORK/rows-h2"
for ((run = 1; run <= RUNS; run++)); do
    for proto in h2 h1; do
        if (((run + ${#proto}) % 2)); then order="engine curl"; else order="curl engine"; fi
        declare -A res
        for tool in $order; do res[$tool]=$(run_once "$proto" "$tool") || exit 1; done
        echo "${res[engine]} ${res[curl]}" >>"$WORK/rows-$proto"
    done
done
for proto in h2 h1; do
    rows=$WORK/rows-$proto
    col() { awk -v c="$1" '{ print $c }' "$rows"; }
    label="HTTP/1.1 keep-alive"
    [ "$proto" = h2 ] && label="HTTP/2 over TLS"
    printf '%-20s wall engine %6.2f s curl %6.2f s ratio %.2f | CPU engine %6.2f s curl %6.2f s ratio %.2f\n' "$label" \
        "$(col 1 | median)" "$(col 3 | median)" "$(awk '{ print ($3 > 0 ? $1 / $3 : 99) }' "$rows" | median)" \
        "$(col 2 | median)" "$(col 4 | median)" "$(awk '{ print ($4 > 0 ? $2 / $4 : 99) }' "$rows" | median)"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
