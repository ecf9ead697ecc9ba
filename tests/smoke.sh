#!/usr/bin/env bash
# The real launcher executable on a real X server (Xvfb) against the stand-in on
# the development port: it starts, maps its window, writes its start lines to
# its log, and ends in order on SIGTERM with exit code 0.
#   tests/smoke.sh <build dir>        exit 77: skipped (the development port is taken)
set -uo pipefail

BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/.." && pwd)
PORT=8686 # the manifests' development hosts
WORK=$(mktemp -d)
PUBLISHER_PID=""
LAUNCHER_PID=""
cleanup() {
    [ -n "$LAUNCHER_PID" ] && kill -KILL "$LAUNCHER_PID" 2>/dev/null
    [ -n "$PUBLISHER_PID" ] && kill -TERM "$PUBLISHER_PID" 2>/dev/null && wait "$PUBLISHER_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "smoke: $*" >&2
    for f in "$WORK/app/logs/log.txt" "$WORK/launcher.out"; do
        [ -f "$f" ] && { echo "--- $f" >&2; tail -40 "$f" >&2; }
    done
    exit 1
}

if (exec 3<>/dev/tcp/127.0.0.1/$PORT) 2>/dev/null; then
    echo "smoke: SKIPPED: 127.0.0.1:$PORT is taken (is scripts/demo running?)"
    exit 77
fi

mkdir -p "$WORK/content" "$WORK/app"
"$BUILD/publisher/quillmere-publisher" build --versions "$SRC/tests/smoke-release" --content "$WORK/content" \
    --game-id 60001 --format 7z >/dev/null || fail "the release did not build"
"$BUILD/publisher/quillmere-publisher" --content "$WORK/content" --port $PORT >"$WORK/port" 2>"$WORK/publisher.log" &
PUBLISHER_PID=$!
for _ in $(seq 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
[ -s "$WORK/port" ] || fail "the stand-in did not start"

cp "$BUILD/src/quillmere-launcher" "$WORK/app/"
echo 1 >"$WORK/app/launcher_type.ini"
printf '[Launcher]\nrunningtype=1\n' >"$WORK/app/config.ini"
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    "$1" >"$2" 2>&1 &
    pid=$!
    echo $pid >"$3"
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name "Quillmere" >/dev/null 2>&1 && { echo shown >"$4"; break; }
        sleep 0.1
    done
    # Running: it asks the stand-in for the game version.
    for _ in $(seq 100); do
        grep -qs "/diff-update/version" "$6" && break
        sleep 0.1
    done
    kill -TERM $pid
    wait $pid
    echo $? >"$5"
' smoke "$WORK/app/quillmere-launcher" "$WORK/launcher.out" "$WORK/pid" "$WORK/shown" "$WORK/status" \
    "$WORK/content/logs/requests.jsonl"

[ -f "$WORK/shown" ] || fail "no window was shown"
[ "$(cat "$WORK/status" 2>/dev/null)" = 0 ] || fail "exit code $(cat "$WORK/status" 2>/dev/null) after SIGTERM"
LOG=$WORK/app/logs/log.txt
[ -f "$LOG" ] || fail "no log was written"
for line in "Log Start" "The main window is on screen" "Close the Application!"; do
    grep -q "$line" "$LOG" || fail "the log lacks \"$line\""
done
if grep -q "QThread: Destroyed while thread is still running" "$WORK/launcher.out" "$LOG"; then
    fail "a thread outlived the quit"
fi
grep -q "/diff-update/version" "$WORK/content/logs/requests.jsonl" 2>/dev/null \
    || fail "the launcher never asked the stand-in for the game version"
echo "smoke: the launcher showed its window, logged its start and quit in order on SIGTERM"
