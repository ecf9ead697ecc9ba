#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it in the layer order, so
# that folders never include each other back. src/main.cpp, the program's entry,
# sits above every folder and may include everything.
set -euo pipefail
src=${1:?usage: layering.sh <src folder>}
order=(platform app api install analytics db update download extract launch content widgets settings home mainwindow)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

status=0
while IFS=: read -r file _ included; do
    [ "$file" = "$src/main.cpp" ] && continue
    from=${file#"$src"/}; from=${from%%/*}
    to=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$included")
    [ "$from" = "$to" ] && continue
    if [ -z "${rank[$from]:-}" ] || [ -z "${rank[$to]:-}" ]; then
        echo "unknown folder in $file: $included"; status=1; continue
    fi
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        echo "$file includes $to/, a layer above $from/"; status=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' -E '^#include "[a-z]+/' "$src")
[ $status -eq 0 ] && echo "layering: every include points down"
exit $status
