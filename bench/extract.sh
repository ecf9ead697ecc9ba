#!/usr/bin/env bash
# Extraction speed of the launcher's archive workers against 7zz and bsdtar on the same
# archives, in one run. Makes ~300 MB of generated files of mixed compressibility, packs
# them as one LZMA2 .7z, one Deflate .zip, and a package of 4 archives, then prints
#   ZlibHelper time / 7zz time (goal <= 1.0) and ZlibHelper time / bsdtar time
# and the package through ZiplibManager against 7zz on the 4 archives one after another.
# Usage: bench/extract.sh [build dir] [size in MB, default 300]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
SIZE_MB=${2:-300}
BENCH=$BUILD/bench/extract_bench
[ -x "$BENCH" ] || { echo "build the extract_bench target first ($BENCH)"; exit 1; }
command -v 7zz >/dev/null || { echo "7zz is missing"; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/extract-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
echo "work folder: $WORK"

# --- test data ------------------------------------------------------------------
python3 - "$WORK/tree" "$SIZE_MB" <<'PY'
import os, sys, random, base64
root, total = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
rng = random.Random(7)
os.makedirs(root, exist_ok=True)
made, n = 0, 0
def put(rel, data):
    global made
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    made += len(data)
while made < total:
    kind = n % 4
    if kind == 0:   # packed assets: incompressible
        data = os.urandom(rng.randint(1, 6) * 1024 * 1024)
    elif kind == 1: # text-like: base64 of random bytes, compresses ~25 %
        data = base64.b64encode(os.urandom(rng.randint(1, 4) * 768 * 1024))
    elif kind == 2: # tables and logs: very compressible
        line = b"entity=%d state=idle x=%d y=%d\n"
        data = b"".join(line % (i, i * 3 % 1000, i * 7 % 1000) for i in range(rng.randint(20000, 120000)))
    else:           # a folder of small files
        for j in range(200):
            put("small/%03d/%03d.cfg" % (n, j), os.urandom(rng.randint(200, 4000)) + b"\0" * rng.randint(0, 8000))
        n += 1
        continue
    put("data/%02d/file%04d.bin" % (n % 17, n), data)
    n += 1
os.makedirs(os.path.join(root, "emptydir"), exist_ok=True)
open(os.path.join(root, "bin_game"), "wb").write(b"\x7fELF" + os.urandom(300000))
os.chmod(os.path.join(root, "bin_game"), 0o755)
PY
UNPACKED=$(du -sb "$WORK/tree" | cut -f1)
echo "tree: $UNPACKED bytes in $(find "$WORK/tree" -type f | wc -l) files"

(cd "$WORK/tree" && 7zz a -t7z -m0=lzma2 -mx=3 -bd -bso0 "$WORK/full.7z" . && \
                    7zz a -tzip -mm=Deflate -mx=5 -bd -bso0 "$WORK/full.zip" .)
mkdir -p "$WORK/app/Downloads"
URLS=()
i=0
for part in "$WORK"/tree/data/0[0-3]; do
    ext=$([ $((i % 2)) -eq 0 ] && echo 7z || echo zip)
    tmp="$WORK/part$i.$ext"
    (cd "$part" && 7zz a -t"$ext" -mx=3 -bd -bso0 "$tmp" .)
    size=$(du -sb "$part" | cut -f1)
    name="p${i}_origin_${size}_size_$(stat -c %s "$tmp")_md5_0.$ext"
    mv "$tmp" "$WORK/app/Downloads/$name"
    URLS+=("http://cdn.example/game/1.0.0/$name")
    i=$((i + 1))
done
ls -l "$WORK"/full.* "$WORK"/app/Downloads | sed 's/^/  /'

# --- timing: best of two runs, output folder removed before each --------------------
now() { date +%s.%N; }
best() { # best <command...>: prints seconds of the faster of two runs
    local b=""
    for _ in 1 2; do
        rm -rf "$WORK/out"; mkdir -p "$WORK/out"; sync
        local t0 t1; t0=$(now); "$@" >/dev/null 2>&1 || { echo "FAILED: $*" >&2; exit 1; }; t1=$(now)
        b=$(python3 -c "import sys; t=$t1-$t0; b='$b'; print(t if not b or t < float(b) else b)")
    done
    echo "$b"
}
ratio() { python3 -c "print('%.2f' % ($1 / $2))"; }

for fmt in 7z zip; do
    a="$WORK/full.$fmt"
    ours=$(best "$BENCH" "$a" "$WORK/out")
    sz=$(best 7zz x -y -bd -o"$WORK/out" "$a")
    bt=$(best bsdtar -xf "$a" -C "$WORK/out")
    printf '%-4s ZlibHelper %6.2fs  7zz %6.2fs  bsdtar %6.2fs   ratio/7zz %s  ratio/bsdtar %s\n' \
        "$fmt" "$ours" "$sz" "$bt" "$(ratio "$ours" "$sz")" "$(ratio "$ours" "$bt")"
done

seq7z() { for u in "${URLS[@]}"; do 7zz x -y -bd -o"$WORK/out" "$WORK/app/Downloads/${u##*/}" || return 1; done; }
pkg() { "$BENCH" --package "$WORK/app" "$WORK/out" 1.0.0 "${URLS[@]}"; }
ours=$(best pkg)
sz=$(best seq7z)
printf 'package of 4: ZiplibManager %6.2fs  7zz one by one %6.2fs   ratio %s\n' "$ours" "$sz" "$(ratio "$ours" "$sz")"
