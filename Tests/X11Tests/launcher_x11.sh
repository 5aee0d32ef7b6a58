#!/usr/bin/env bash
# The `tessary` launcher: it hands requests to a running instance without loading the
# application, becomes the application (same process) when none runs, never forwards scripted
# runs, and explains itself when the application is missing.
source "${TESSARY_TEST_HELPERS:?set by ctest}/xsession.sh"
bin=${1:?usage: launcher_x11.sh path/to/tessary}
build="${TESSARY_BUILD_DIR:?set by ctest}"
app="$(dirname "$bin")/tessary-app"

fail() { echo "FAIL: $*" >&2; for f in "$XS_WORK"/*.log; do echo "== $f" >&2; cat "$f" >&2; done; exit 1; }

wait_for_log() { # PATTERN FILE
    for _ in $(seq 150); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

# The launcher itself must stay free of the toolkit and the recognition chain.
if ldd "$bin" | grep -Eiq 'qt|icu|tesseract|lept|xcb'; then
    fail "the launcher links heavy libraries: $(ldd "$bin" | tr '\n' ' ')"
fi

xsession_start 1280x800

# No instance yet: the launcher becomes the application in the same process.
xsession_spawn "$bin" 2>"$XS_WORK/resident.log"
resident=${XS_PIDS[-1]}
wait_for_log '启动完成' "$XS_WORK/resident.log" || fail "no startup line from the first launch"
[ "$(readlink -f "/proc/$resident/exe")" = "$(readlink -f "$app")" ] ||
    fail "pid $resident runs $(readlink -f "/proc/$resident/exe"), not the application"
[ -S "$XDG_RUNTIME_DIR/tessary/org.tessary.Tessary.sock" ] || fail "the instance does not listen"

# A forwarded capture: the launcher exits 0 and the resident instance maps its overlay.
"$build/Tests/time_to_overlay" 5000 "$bin" --capture-now >"$XS_WORK/probe.out" ||
    fail "no overlay after a forwarded --capture-now"
wait_for_log '性能：截图请求到覆盖层显示' "$XS_WORK/resident.log" || fail "the instance logged no capture"
xdotool key Escape
sleep 0.5
kill -0 "$resident" || fail "the resident instance died"

# Activation without switches is forwarded too: exit 0 at once, no second startup.
"$bin" 2>"$XS_WORK/second.log" || fail "a plain second launch did not exit 0"
! grep -q '启动完成' "$XS_WORK/second.log" || fail "a second instance started"

# Runs that must not forward: --version answers itself; a scripted capture runs in its own process.
[ "$("$bin" --version)" = "$("$app" --version)" ] || fail "--version not answered by the application"
out="$XS_WORK/scripted.png"
"$bin" --capture-now --dev-demo-selection --dev-selection-rect=10,10,40,30 --dev-auto-action=save \
    --dev-save-to="$out" 2>"$XS_WORK/scripted.log" &
scripted=$!
XS_PIDS+=("$scripted")
xsession_wait_for_file "$out" 20 || fail "the scripted capture was forwarded instead of run"
kill "$scripted" 2>/dev/null || true
[ "$(grep -c '性能：截图请求到覆盖层显示' "$XS_WORK/resident.log")" = 1 ] ||
    fail "the resident instance received the scripted capture"

# A restart re-executes the application directly; the new process serves the socket and keeps
# the window name the launcher's argv[0] gave.
kill "$resident"
wait "$resident" 2>/dev/null || true
xsession_spawn "$bin" --dev-restart-after=0.5 2>"$XS_WORK/restart.log"
wait_for_log '重新启动：旧进程' "$XS_WORK/restart.log" || fail "no restart"
for _ in $(seq 100); do [ "$(grep -c '启动完成' "$XS_WORK/restart.log")" = 2 ] && break; sleep 0.1; done
restarted=""
for proc in /proc/[0-9]*; do
    grep -qzx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" "$proc/environ" 2>/dev/null &&
        [ "$(readlink -f "$proc/exe")" = "$(readlink -f "$app")" ] && restarted=${proc#/proc/}
done
[ -n "$restarted" ] || fail "the restarted application is not running"
XS_PIDS+=("$restarted")
"$bin" --capture-now || fail "the restarted instance did not take a forwarded capture"
wait_for_log '性能：截图请求到覆盖层显示' "$XS_WORK/restart.log" || fail "the restarted instance logged no capture"
classes=$(for w in $(xdotool search --pid "$restarted"); do xprop -id "$w" WM_CLASS; done | sort -u)
[ "$(echo "$classes" | grep -c .)" = 1 ] && echo "$classes" | grep -q '"tessary", "tessary"' ||
    fail "the restarted application's windows are named $classes"
xdotool key Escape

# Installed layout: bin/tessary finds libexec/tessary/tessary-app.
mkdir -p "$XS_WORK/prefix/bin" "$XS_WORK/prefix/libexec/tessary"
cp "$bin" "$XS_WORK/prefix/bin/tessary"
ln -s "$(readlink -f "$app")" "$XS_WORK/prefix/libexec/tessary/tessary-app"
[ "$("$XS_WORK/prefix/bin/tessary" --help | head -n1)" = "$("$app" --help | head -n1)" ] ||
    fail "the installed launcher did not reach libexec/tessary/tessary-app"

# No application anywhere: exit 127 and a message naming both places looked at.
mkdir -p "$XS_WORK/lonely"
cp "$bin" "$XS_WORK/lonely/tessary"
set +e
"$XS_WORK/lonely/tessary" --version 2>"$XS_WORK/lonely.err" >/dev/null
status=$?
set -e
[ "$status" = 127 ] || fail "missing application: exit $status instead of 127"
grep -qF "$XS_WORK/lonely/tessary-app" "$XS_WORK/lonely.err" || fail "message misses the first path"
grep -qF "$XS_WORK/lonely/../libexec/tessary/tessary-app" "$XS_WORK/lonely.err" ||
    fail "message misses the second path"
echo "launcher_x11: ok"
