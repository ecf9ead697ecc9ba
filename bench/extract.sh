#!/usr/bin/env bash
# Extraction speed of the launcher's archive workers against 7zz on the same archives.
# Makes a tree of generated files (incompressible and compressible content, a few
# thousand small files, executables, an empty folder; every byte written, nothing
# sparse) and packs it four ways:
#   7z, 7zz defaults          one solid LZMA2 block: ZlibHelper / 7zz x
#   7z, multi-block           LZMA2 asked for 16 MiB blocks (-mmt=2 -m0=lzma2:c=16m), meant for
#                             7zz's two-thread decoding; `7zz t` of such an archive here
#                             still used one thread (user time = wall), see bench/README.md
#   zip                       7zz a -tzip: ZlibHelper / 7zz x
#   package of 4 archives     ZiplibManager / 7zz x of each one after another
# Each case runs ours and 7zz interleaved, the order alternating, into a fresh folder;
# every output is checked file by file against the tree (content digest and exec bit),
# and a wrong output stops the benchmark as a failure. Prints per case the median and
# the spread (min..max) of wall and CPU (user + sys) seconds, and the median ratios
# ours / 7zz (lower is better). CPU is the steadier figure on a shared machine.
# Usage: bench/extract.sh [build dir] [size in MB, default 100] [runs, default 5]
#        bench/extract.sh --quick [build dir]     (a smoke run: 24 MB, 2 runs)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --quick ]; then
    BUILD=${2:-$ROOT/build}
    SIZE_MB=24
    RUNS=2
else
    BUILD=${1:-$ROOT/build}
    SIZE_MB=${2:-100}
    RUNS=${3:-5}
fi
BENCH=$BUILD/bench/extract_bench
[ -x "$BENCH" ] || { echo "build the extract_bench target first ($BENCH)"; exit 1; }
command -v 7zz >/dev/null || { echo "7zz is missing"; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/extract-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $SIZE_MB MB, $RUNS runs"

python3 - "$BENCH" "$WORK" "$SIZE_MB" "$RUNS" <<'PY'
import base64, hashlib, os, random, shutil, statistics, subprocess, sys, time

bench, work, size_mb, runs = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
tree = os.path.join(work, "tree")
out = os.path.join(work, "out")
rng = random.Random(7)

# --- the tree -------------------------------------------------------------------------
total = size_mb * 1024 * 1024
made = 0
def put(rel, data, exe=False):
    global made
    path = os.path.join(tree, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, 0o755 if exe else 0o644)
    made += len(data)

words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))).encode() for _ in range(4000)]
def text(n):  # words and numbers: compresses about 3:1, as scripts and tables do
    parts, size = [], 0
    while size < n:
        line = b" ".join(rng.choices(words, k=10)) + b" %d\n" % rng.getrandbits(30)
        parts.append(line)
        size += len(line)
    return b"".join(parts)[:n]
def blob(n):  # packed textures and sounds: incompressible
    return os.urandom(n)

# Some thousands of small files (40 per MB of the tree, at most 5,000) in nested
# folders, a third of them incompressible; the rest of the bytes in files of 64 KiB to
# 8 MiB, two fifths incompressible; a few executables.
small_files = min(5000, max(400, size_mb * 40))
for i in range(small_files):
    n = rng.randint(200, 12 * 1024)
    d = "assets/%02d/%02d" % (i % 23, (i // 23) % 9)
    put("%s/s%05d.%s" % (d, i, "cfg" if i % 3 else "dat"), text(n) if i % 3 else blob(n))
j = 0
while made < total:
    n = rng.choice([64, 256, 1024, 3072, 8192]) * 1024 + rng.randint(0, 4096)
    kind = j % 5
    data = blob(n) if kind in (0, 1) else (base64.b64encode(blob(n * 3 // 4)) if kind == 2 else text(n))
    put("data/%02d/f%04d.%s" % (j % 17, j, ("pak", "ogg", "b64", "lua", "csv")[kind]), data)
    j += 1
for k in range(6):
    put("bin/tool%d" % k, b"\x7fELF" + blob(rng.randint(100, 600) * 1024), exe=True)
    put("bin/lib/run%d.sh" % k, b"#!/bin/sh\n" + text(3000), exe=True)
os.makedirs(os.path.join(tree, "logs/empty"), exist_ok=True)

def manifest(root):
    files, dirs = {}, set()
    for base, subdirs, names in os.walk(root):
        rel = os.path.relpath(base, root)
        for d in subdirs:
            dirs.add(os.path.normpath(os.path.join(rel, d)))
        for name in names:
            path = os.path.join(base, name)
            st = os.lstat(path)
            if not os.path.isfile(path) or os.path.islink(path):
                files[os.path.normpath(os.path.join(rel, name))] = ("not a file", 0)
                continue
            h = hashlib.sha1()
            with open(path, "rb") as f:
                while True:
                    block = f.read(1 << 20)
                    if not block:
                        break
                    h.update(block)
            files[os.path.normpath(os.path.join(rel, name))] = (h.hexdigest(), bool(st.st_mode & 0o100))
    return files, dirs

expected = manifest(tree)
nfiles = len(expected[0])
print("tree: %d bytes in %d files (%d executable), %d folders"
      % (made, nfiles, sum(1 for v in expected[0].values() if v[1]), len(expected[1])))

def check(who, case):
    got = manifest(out)
    if got == expected:
        return
    files, dirs = got
    wrong = [p for p in expected[0] if files.get(p) != expected[0][p]]
    extra = [p for p in files if p not in expected[0]] + sorted(dirs - expected[1]) + sorted(expected[1] - dirs)
    print("FAILED: %s wrote a wrong output for %s: %d files wrong or missing (%s), %d extra or missing folders (%s)"
          % (who, case, len(wrong), ", ".join(sorted(wrong)[:3]), len(extra), ", ".join(extra[:3])))
    sys.exit(1)

# --- the archives -----------------------------------------------------------------------
def sevenzip(*args, cwd=tree):
    subprocess.run(["7zz", *args, "-bd", "-bso0", "-bsp0"], cwd=cwd, check=True)

solid = os.path.join(work, "solid.7z")
blocks = os.path.join(work, "blocks.7z")
zipped = os.path.join(work, "full.zip")
sevenzip("a", "-t7z", solid, ".")
sevenzip("a", "-t7z", "-mmt=2", "-m0=lzma2:c=16m", blocks, ".")
sevenzip("a", "-tzip", zipped, ".")

# The package: the tree in four parts of about equal size, two .7z and two .zip, each
# holding paths from the tree's root, named as a release names its files. The parts are
# packed at level 1 (LZMA2 and Deflate as above, faster to make on a busy machine;
# decoding costs about the same).
downloads = os.path.join(work, "app", "Downloads")
os.makedirs(downloads)
# Units of the split: each entry one level below a top folder, and the top files.
tops = []
for top in sorted(os.listdir(tree)):
    if os.path.isdir(os.path.join(tree, top)):
        tops += [top + "/" + child for child in sorted(os.listdir(os.path.join(tree, top)))]
    else:
        tops.append(top)
def size_of(rel):
    p = os.path.join(tree, rel)
    if os.path.isfile(p):
        return os.path.getsize(p)
    return sum(os.path.getsize(os.path.join(b, n)) for b, _, ns in os.walk(p) for n in ns)
parts = [[] for _ in range(4)]
weights = [0] * 4
for rel in sorted(tops, key=size_of, reverse=True):
    k = weights.index(min(weights))
    parts[k].append(rel)
    weights[k] += size_of(rel)
urls, package = [], []
for k, members in enumerate(parts):
    ext = "7z" if k % 2 == 0 else "zip"
    listing = os.path.join(work, "part%d.txt" % k)
    with open(listing, "w") as f:
        f.write("\n".join(members) + "\n")
    tmp = os.path.join(work, "part%d.%s" % (k, ext))
    sevenzip("a", "-t" + ext, "-mx=1", tmp, "@" + listing)
    name = "p%d_origin_%d_size_%d_md5_0.%s" % (k, weights[k], os.path.getsize(tmp), ext)
    os.rename(tmp, os.path.join(downloads, name))
    package.append(os.path.join(downloads, name))
    urls.append("http://cdn.example/game/1.0.0/" + name)
for path in (solid, blocks, zipped, *package):
    print("  %-52s %11d bytes" % (os.path.basename(path), os.path.getsize(path)))

# --- timing -----------------------------------------------------------------------------
def timed(cmd):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    os.sync()
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if proc.returncode != 0:
        print("FAILED: %s exited with %d\n%s" % (" ".join(cmd[:3]), proc.returncode, err[-2000:]))
        sys.exit(1)
    return wall, usage.ru_utime + usage.ru_stime

def seven_each(paths):
    return ["sh", "-c", 'for a; do 7zz x -y -bd -bso0 -bsp0 -o"$0" "$a" || exit 1; done', out, *paths]

cases = [
    ("7z, 7zz defaults", [bench, solid, out], ["7zz", "x", "-y", "-bd", "-bso0", "-bsp0", "-o" + out, solid]),
    ("7z, multi-block", [bench, blocks, out], ["7zz", "x", "-y", "-bd", "-bso0", "-bsp0", "-o" + out, blocks]),
    ("zip", [bench, zipped, out], ["7zz", "x", "-y", "-bd", "-bso0", "-bsp0", "-o" + out, zipped]),
    ("package of 4", [bench, "--package", os.path.join(work, "app"), out, "1.0.0", *urls], seven_each(package)),
]
goals = {"7z, 7zz defaults": 1.0, "zip": 1.0, "package of 4": 0.75}

def spread(values):
    return "%.2f (%.2f..%.2f)" % (statistics.median(values), min(values), max(values))

print("%-18s %-24s %-24s %-24s %-24s %6s %6s" % ("case", "ours wall s", "7zz wall s", "ours cpu s", "7zz cpu s",
                                                  "wall", "cpu"))
for name, ours_cmd, ref_cmd in cases:
    samples = {"ours": [], "7zz": []}
    for r in range(runs):
        order = [("ours", ours_cmd), ("7zz", ref_cmd)]
        if r % 2:
            order.reverse()
        for who, cmd in order:
            samples[who].append(timed(cmd))
            check(who, name)
    ow = [s[0] for s in samples["ours"]]; rw = [s[0] for s in samples["7zz"]]
    oc = [s[1] for s in samples["ours"]]; rc = [s[1] for s in samples["7zz"]]
    # Ratios of the runs paired in time, then their median: a load spike hits a pair.
    wall = statistics.median(a / b for a, b in zip(ow, rw))
    cpu = statistics.median(a / b for a, b in zip(oc, rc))
    goal = goals.get(name)
    print("%-18s %-24s %-24s %-24s %-24s %6.2f %6.2f%s" % (name, spread(ow), spread(rw), spread(oc), spread(rc),
          wall, cpu, "   (goal wall <= %.2f)" % goal if goal else ""))
    sys.stdout.flush()
print("ratios are ours / 7zz, medians of %d interleaved pairs; every output verified (%d files each)"
      % (runs, nfiles))
print("load after: %s" % " ".join(open("/proc/loadavg").read().split()[:3]))
PY
