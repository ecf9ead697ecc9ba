#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix gives the
# launcher and its updater in their program folder, a link on the path, the
# desktop entry, the AppStream metainfo and the icons, with the stand-in and
# the demo game in a component of their own; the validators accept the entry
# and the metainfo; the installed launcher answers --version and --help with
# no display, refuses an unknown option with exit code 2, and keeps its data
# in the user's data folder when its program folder is read-only.
#   tests/installed.sh <build dir> <launcher version> [1: the build has the updater]
set -uo pipefail

BUILD=$(cd "$1" && pwd)
VERSION=$2
HAS_UPDATER=${3:-0}
WORK=$(mktemp -d)
P=$WORK/prefix
APP=$P/libexec/quillmere-launcher
trap 'chmod -R u+w "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT
fail() {
    echo "installed: $*" >&2
    for f in "$WORK"/*.out "$WORK"/*.err; do
        [ -s "$f" ] && { echo "--- $f" >&2; head -40 "$f" >&2; }
    done
    exit 1
}

cmake --install "$BUILD" --prefix "$P" >"$WORK/install.out" 2>&1 || fail "cmake --install failed"
ID=example.quillmere.launcher
for f in "$APP/quillmere-launcher" "$P/bin/quillmere-publisher" \
    "$P/libexec/quillmere-publisher/demo-game/quillmere"; do
    [ -x "$f" ] || fail "$f is not installed"
done
[ "$(readlink -f "$P/bin/quillmere-launcher")" = "$(readlink -f "$APP/quillmere-launcher")" ] \
    || fail "bin/quillmere-launcher does not lead to the launcher"
if [ "$HAS_UPDATER" = 1 ]; then
    [ -x "$APP/updateProgram/quillmere-update" ] || fail "the updater is not in updateProgram/"
fi
DESKTOP=$P/share/applications/$ID.desktop
METAINFO=$P/share/metainfo/$ID.metainfo.xml
[ -f "$DESKTOP" ] || fail "no desktop entry"
[ -f "$METAINFO" ] || fail "no metainfo"
grep -q "<release version=\"$VERSION\"" "$METAINFO" || fail "the metainfo does not name version $VERSION"
for size in 16 22 24 32 48 64 128 256 512; do
    png=$P/share/icons/hicolor/${size}x${size}/apps/quillmere-launcher.png
    [ -f "$png" ] || fail "no ${size}px icon"
    # PNG header: width and height as big-endian 32-bit numbers at byte 16.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w $h" = "$size $size" ] || fail "the ${size}px icon is ${w}x${h}"
done
grep -q "<svg" "$P/share/icons/hicolor/scalable/apps/quillmere-launcher.svg" 2>/dev/null || fail "no scalable icon"
grep -q "{{" "$P/share/icons/hicolor/scalable/apps/quillmere-launcher.svg" && fail "the scalable icon has unfilled fields"

# A player's install: the launcher component alone leaves the stand-in out.
cmake --install "$BUILD" --prefix "$WORK/player" --component launcher >"$WORK/component.out" 2>&1 \
    || fail "cmake --install --component launcher failed"
[ -x "$WORK/player/libexec/quillmere-launcher/quillmere-launcher" ] || fail "the launcher component lacks the launcher"
[ -e "$WORK/player/bin/quillmere-publisher" ] && fail "the launcher component holds the stand-in"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$DESKTOP" >"$WORK/desktop.out" 2>&1 || fail "desktop-file-validate refused the entry"
    grep -q "error:" "$WORK/desktop.out" && fail "desktop-file-validate reports errors"
else
    echo "installed: desktop-file-validate is not installed (scripts/bootstrap installs desktop-file-utils): entry not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$METAINFO" >"$WORK/appstream.out" 2>&1 || fail "appstreamcli refused the metainfo"
    # The tree as a whole: the metainfo's desktop entry and icon are there.
    appstreamcli validate-tree --no-net "$P" >"$WORK/tree.out" 2>&1 || fail "appstreamcli refused the tree"
else
    echo "installed: appstreamcli is not installed (scripts/bootstrap installs appstream): metainfo not validated"
fi

# The installed launcher, as a script or a support desk runs it: no display.
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/data XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
run() { # name args...: stdout to $WORK/name.out, stderr to $WORK/name.err, exit code echoed
    local name=$1
    shift
    "$P/bin/quillmere-launcher" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
    echo $?
}
[ "$(run version --version)" = 0 ] || fail "--version did not exit 0"
[ "$(cat "$WORK/version.out")" = "quillmere-launcher $VERSION" ] || fail "--version printed something else"
[ "$(run help --help)" = 0 ] || fail "--help did not exit 0"
for option in --help --version --verify --full --repair --json --move-install; do
    grep -q -- "$option" "$WORK/help.out" || fail "--help does not list $option"
done
for args in "--no-such-option" "-x" "stray"; do
    # shellcheck disable=SC2086
    [ "$(run unknown $args)" = 2 ] || fail "'$args' did not exit 2"
    [ -s "$WORK/unknown.out" ] && fail "'$args' printed on stdout"
    grep -qi "unknown option\|unexpected argument" "$WORK/unknown.err" || fail "'$args' was not named on stderr"
done

# A read-only program folder: the data goes to the user's data folder, and
# nothing is written beside the executable.
chmod -R a-w "$APP"
before=$(ls -A "$APP")
code=$(run verify --verify)
[ "$code" = 2 ] || fail "--verify with nothing installed exited $code, not 2"
[ -d "$XDG_DATA_HOME/quillmere-launcher" ] || fail "the user's data folder was not used"
[ "$(ls -A "$APP")" = "$before" ] || fail "something was written into the read-only program folder"
echo "installed: the tree validates, the launcher answers without a display and keeps its data in the user's folder"
