#!/usr/bin/env bash
# Plants each include form that layering.sh must catch into a small tree of
# folders and checks that the script then fails, and that it passes the
# includes that are allowed.
# usage: layering_selftest.sh <layering.sh> <Qt header folder>
set -euo pipefail
script=${1:?usage: layering_selftest.sh <layering.sh> <Qt header folder>}
qt=${2:?usage: layering_selftest.sh <layering.sh> <Qt header folder>}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

plant() { # plant <file> <line>: a fresh tree with one extra line in <file>
    rm -rf "$tree/src"
    mkdir -p "$tree/src/low" "$tree/src/high" "$tree/src/ui"
    printf 'set(CORE_DIRS low\n    high)\nset(UI_DIRS ui)\n' >"$tree/src/CMakeLists.txt"
    printf '#pragma once\n' >"$tree/src/low/a.h"
    printf '#pragma once\n' >"$tree/src/ui/w.h"
    printf '#include "low/a.h"\n#include "b.h"\n#include <QObject>\n' >"$tree/src/high/b.cpp"
    printf '#pragma once\n#include <low/a.h>\n#include "../low/a.h"\n' >"$tree/src/high/b.h"
    printf '#include <QWidget>\n#include <QQmlEngine>\n#include "high/b.h"\n' >"$tree/src/ui/w.cpp"
    printf '#include "ui/w.h"\n' >"$tree/src/main.cpp"
    [ $# -eq 0 ] || printf '%s\n' "$2" >>"$tree/src/$1"
}

failures=0
expect() { # expect <pass|fail> <file> <line>
    local want=$1
    shift
    plant "$@"
    local got=pass
    bash "$script" "$tree/src" "$qt" >"$tree/out" 2>&1 || got=fail
    if [ "$got" != "$want" ]; then
        echo "expected $want, got $got, with \"$*\":"
        cat "$tree/out"
        failures=$((failures + 1))
    fi
}

expect pass
expect pass ui/w.cpp '#include "low/a.h"'
expect fail high/b.cpp '#include "ui/w.h"'
expect fail high/b.cpp '#include <ui/w.h>'
expect fail high/b.cpp '#include "../ui/w.h"'
expect fail high/b.cpp '#  include "ui/w.h"'
expect fail high/b.cpp '  # include <ui/w.h>'
expect fail high/x.hpp '#include "ui/w.h"'
expect fail high/x.inl '#include "../ui/w.h"'
expect fail low/a.h '#include "high/b.h"'
expect fail low/a.h '#include "../high/b.h"'
expect fail low/a.h '#include "../main.cpp"'
expect fail high/b.cpp '#include <QWidget>'
expect fail high/b.cpp '#include <QtWidgets/QLabel>'
expect fail high/b.cpp '#include "qwidget.h"'
expect fail high/b.cpp '#include <QQuickItem>'
expect fail high/b.cpp '#include <QQmlEngine>'
expect fail high/b.cpp '#include <QQuickWidget>'
expect fail high/b.cpp '#include <QtQuickControls2>'
expect fail stray.cpp '#include "low/a.h"'

[ $failures -eq 0 ] && echo "layering self-test: every planted include was caught"
exit $((failures > 0))
