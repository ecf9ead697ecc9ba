#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it in the layer order, or
# when a core folder includes a Qt Widgets, Quick or Qml header.
#
# The order is the one of CORE_DIRS and then UI_DIRS in src/CMakeLists.txt,
# lowest first: a folder may include itself and the folders before it.
# src/main.cpp, the program's entry, sits above every folder and may include
# everything. Every file under src/ is read, whatever its extension, and every
# include form: quoted or angled, relative ("../x/y.h", "y.h") or from src/,
# with blanks around the "#".
#
# usage: layering.sh <src folder> [Qt header folder]
set -euo pipefail
src=$(cd "${1:?usage: layering.sh <src folder> [Qt header folder]}" && pwd)
qt=${2:-$(qmake -query QT_INSTALL_HEADERS 2>/dev/null || true)}
if [ ! -e "$qt/QtWidgets/QWidget" ]; then
    echo "layering: no Qt headers at \"$qt\"; pass their folder as the second argument"
    exit 2
fi
uiModules=(QtWidgets QtQuick QtQml QtQuickWidgets QtQuickControls2)

dirsOf() { # the folders of a set(NAME ...) list, which may span lines
    sed -n "/set($1[[:space:]]/,/)/p" "$src/CMakeLists.txt" | tr '\n' ' ' \
        | sed -E "s/.*set\($1[[:space:]]+([^)]*)\).*/\1/"
}
read -ra core <<<"$(dirsOf CORE_DIRS)"
read -ra ui <<<"$(dirsOf UI_DIRS)"
if [ ${#core[@]} -eq 0 ] || [ ${#ui[@]} -eq 0 ]; then
    echo "layering: no CORE_DIRS or UI_DIRS in $src/CMakeLists.txt"
    exit 2
fi
declare -A rank isCore
order=("${core[@]}" "${ui[@]}")
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done
for dir in "${core[@]}"; do isCore[$dir]=1; done

normalize() { # folds "." and ".." out of a path, in bash alone (no process per include)
    local -a parts out=()
    local part
    IFS=/ read -ra parts <<<"$1"
    for part in "${parts[@]}"; do
        case $part in
        '' | .) ;;
        ..) [ ${#out[@]} -gt 0 ] && unset 'out[${#out[@]}-1]' ;;
        *) out+=("$part") ;;
        esac
    done
    local IFS=/
    echo "/${out[*]}"
}

isUiHeader() {
    local module
    for module in "${uiModules[@]}"; do
        [ "${1%%/*}" = "$module" ] && return 0
        [ -e "$qt/$module/$1" ] && return 0
    done
    return 1
}

status=0
fail() { echo "$1"; status=1; }
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'
while IFS= read -r hit; do
    file=${hit%%:*}
    text=${hit#*:}
    [ "$file" = "$src/main.cpp" ] && continue
    [[ $text =~ $include ]] || continue
    form=${BASH_REMATCH[1]}
    path=${BASH_REMATCH[2]}
    from=${file#"$src"/}
    if [ "$from" = "${from%%/*}" ] || [ -z "${rank[${from%%/*}]:-}" ]; then
        fail "$file: a file outside the folders of CORE_DIRS and UI_DIRS"
        continue
    fi
    from=${from%%/*}
    # A quoted name is looked for beside the including file first, then in src/.
    target=""
    if [ "$form" = '"' ] && [ -f "${file%/*}/$path" ]; then
        target=$(normalize "${file%/*}/$path")
    elif [ -f "$src/$path" ]; then
        target=$(normalize "$src/$path")
    fi
    if [ -z "$target" ]; then
        if [ -n "${isCore[$from]:-}" ] && isUiHeader "$path"; then
            fail "$file includes $path, a widget or QML header in the core folder $from/"
        fi
        continue
    fi
    if [ "${target#"$src"/}" = "$target" ]; then
        continue # outside src/
    fi
    to=${target#"$src"/}
    if [ "$to" = "${to%%/*}" ] || [ -z "${rank[${to%%/*}]:-}" ]; then
        fail "$file includes $path, outside the folders of CORE_DIRS and UI_DIRS"
        continue
    fi
    to=${to%%/*}
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        fail "$file includes $path: $to/ is a layer above $from/"
    fi
done < <(grep -rIE --exclude=CMakeLists.txt "$include" "$src" || true)
[ $status -eq 0 ] && echo "layering: every include points down"
exit $status
