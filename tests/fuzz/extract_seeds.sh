#!/usr/bin/env bash
# Seeds for extract_fuzz: small Zip and 7z archives (LZMA2, BCJ, solid and not, Deflate,
# stored), with folders, an empty file and a link. Usage: extract_seeds.sh <corpus folder>
set -euo pipefail
corpus=${1:?corpus folder}
mkdir -p "$corpus"; corpus=$(cd "$corpus" && pwd)
tree=$(mktemp -d); trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/t/a/b" "$tree/t/empty"
printf 'hello\n' > "$tree/t/a/hello.txt"; : > "$tree/t/a/b/empty.txt"
head -c 3000 /dev/urandom > "$tree/t/a/b/rand.bin"
ln -s hello.txt "$tree/t/a/link"
cd "$tree/t"
7zz a -t7z -m0=lzma2 -bso0 "$corpus/lzma2.7z" . ; 7zz a -t7z -ms=off -bso0 "$corpus/nonsolid.7z" .
7zz a -t7z -mf=BCJ -bso0 "$corpus/bcj.7z" . ;      7zz a -t7z -m0=copy -bso0 "$corpus/copy.7z" .
7zz a -tzip -bso0 "$corpus/deflate.zip" . ;        7zz a -tzip -mx=0 -bso0 "$corpus/stored.zip" .
bsdtar --format zip -cf "$corpus/bsdtar.zip" .
