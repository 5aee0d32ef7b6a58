#!/usr/bin/env bash
# The tray icon under a real X server: with no tray host Tessary keeps running, says so once and
# embeds its icon as soon as a tray appears; with a tray already running it says nothing.
source "${TESSARY_TEST_HELPERS:?set by ctest}/xsession.sh"
bin=${1:?usage: tray_x11.sh path/to/tessary}

fail() { echo "FAIL: $*" >&2; [ -f "$XS_WORK/err.log" ] && cat "$XS_WORK/err.log" >&2; exit 1; }

wait_for_log() { # PATTERN FILE
    for _ in $(seq 150); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

tray_holds_tessary() { # is one of Tessary's windows inside the tray's panel?
    local w
    for w in $(xdotool search --class '^trayer$' 2>/dev/null); do
        xwininfo -tree -id "$w" 2>/dev/null | grep -q '("tessary" "tessary")' && return 0
    done
    return 1
}

xsession_start 1280x800

# No tray host: still running, one log line and one notice naming the hot key.
xsession_spawn "$bin" 2>"$XS_WORK/err.log"
app=${XS_PIDS[-1]}
wait_for_log '启动完成' "$XS_WORK/err.log" || fail "no startup line"
wait_for_log '提示：' "$XS_WORK/err.log" || fail "no notice without a tray"
grep -q '系统托盘不可用' "$XS_WORK/err.log" || fail "missing the no-tray log line"
[ "$(grep -c '提示：' "$XS_WORK/err.log")" = 1 ] || fail "expected exactly one notice"
grep '提示：' "$XS_WORK/err.log" | grep -q 'Ctrl+Alt+A' || fail "the notice does not name the hot key"
kill -0 "$app" || fail "exited without a tray"

# A tray appears: the icon embeds by itself.
xsession_spawn trayer --edge top --align right --widthtype pixel --width 120 --height 24
embedded=0
for _ in $(seq 100); do tray_holds_tessary && { embedded=1; break; }; sleep 0.1; done
[ "$embedded" = 1 ] || fail "icon not embedded after the tray appeared"

# Started with a tray in place: no notice, icon embedded.
kill "$app"; wait "$app" 2>/dev/null || true
for _ in $(seq 50); do tray_holds_tessary || break; sleep 0.1; done
xsession_spawn "$bin" 2>"$XS_WORK/err2.log"
wait_for_log '启动完成' "$XS_WORK/err2.log" || fail "second start: no startup line"
embedded=0
for _ in $(seq 100); do tray_holds_tessary && { embedded=1; break; }; sleep 0.1; done
[ "$embedded" = 1 ] || fail "second start: icon not embedded"
sleep 0.5
! grep -q '系统托盘不可用\|提示：' "$XS_WORK/err2.log" || fail "notice shown although a tray runs"
echo "tray_x11: ok"
