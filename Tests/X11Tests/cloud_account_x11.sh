#!/usr/bin/env bash
# The cloud account as a user meets it, against the loopback cloud service and a real Secret
# Service (gnome-keyring in a private D-Bus session): create an account in the account pane,
# withdraw the shared-cache consent, quit, start again still signed in, sign out. Afterwards the
# token is gone from the keyring, the e-mail and quota from the settings, and neither password nor
# token was ever written to a file.
source "$(dirname "$0")/lib/xsession.sh"

tessary=${1:?usage: cloud_account_x11.sh path/to/tessary}
build=${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}
shots=$build/Tests/artefacts/cloud_account_x11
rm -rf "$shots" && mkdir -p "$shots"
settings=$XDG_CONFIG_HOME/tessary/tessary.ini
log=$XDG_STATE_HOME/tessary/tessary.log
email="reader$RANDOM@example.org"
password="pw-$RANDOM$RANDOM-secret"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

xsession_start 1280x800

# A session bus of our own with an unlocked keyring on it.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
XS_PIDS+=("$(sed -n 2p <<<"$bus")")
echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
sleep 0.5
token_in_keyring() { secret-tool lookup server org.tessary.Tessary user velmora-token 2>/dev/null || true; }

xsession_spawn "$build/Tests/loopback_cloud_service" --origin-file="$XS_WORK/origin"
xsession_wait_for_file "$XS_WORK/origin" 10 || { echo "the cloud service did not start" >&2; exit 1; }
mkdir -p "$(dirname "$settings")"
printf '[General]\nTessaryLanguageOverride=en\nprefs.lastPane=account\nTessaryVelmoraBaseURL=%s\n' \
    "$(cat "$XS_WORK/origin")" >"$settings"

# The preferences window at a fixed place: its lower-left corner at (100, 100) points, y up, on a
# 1280x800 screen. Coordinates below are in that window as it is drawn there.
start_app() {
    "$tessary" --dev-open-preferences --dev-window-origin=100,100 >>"$XS_WORK/app.log" 2>&1 &
    app=$!
    for _ in $(seq 100); do
        xdotool search --name "Tessary Preferences" >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1
}
quit_app() {
    kill -TERM "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}
click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.4; }
type_into() { click "$1" "$2"; xdotool type --delay 5 "$3"; }
wait_for_log() {
    for _ in $(seq 100); do
        grep -qF -- "$1" "$log" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "no log line «$1»"
}

# 1. Create an account in the account pane.
start_app
import -window root "$shots/1-signed-out.png"
click 657 478                       # Create Account
type_into 505 491 "$email"
type_into 505 521 "$password"
click 657 551                       # submit
wait_for_log "Tessary 云端：注册成功，今日 0/50。"
sleep 0.5
import -window root "$shots/2-signed-in.png"
token=$(token_in_keyring)
[ -n "$token" ] || fail "no token in the keyring after registration"
[ -n "$(secret-tool lookup server org.tessary.Tessary user velmora-device 2>/dev/null)" ] ||
    fail "no device identifier in the keyring"
grep -qx "TessaryVelmoraEmail=$email" "$settings" || fail "the e-mail was not stored"
grep -q '^TessaryVelmoraQuota=' "$settings" || fail "the quota was not stored"
# Withdrawing the shared-cache consent in the translate pane: the service accepts, then it is kept.
click 155 499                       # Translate pane
click 700 535                       # Share the translation cache
for _ in $(seq 50); do
    grep -qx 'TessaryVelmoraShareCache=false' "$settings" && break
    sleep 0.1
done
grep -qx 'TessaryVelmoraShareCache=false' "$settings" || fail "the shared-cache consent was not withdrawn"
import -window root "$shots/2b-share-cache-off.png"
click 155 531                       # Account pane
quit_app

# 2. Start again: still signed in, then sign out.
start_app
import -window root "$shots/3-still-signed-in.png"
[ "$(token_in_keyring)" = "$token" ] || fail "the session did not survive a restart"
click 667 458                       # Sign Out
wait_for_log "Tessary 云端：已退出登录。"
sleep 0.5
import -window root "$shots/4-signed-out-again.png"
quit_app
[ -z "$(token_in_keyring)" ] || fail "the token is still in the keyring after signing out"
grep -q '^TessaryVelmoraEmail=' "$settings" && fail "the e-mail outlived the sign-out"
grep -q '^TessaryVelmoraQuota=' "$settings" && fail "the quota outlived the sign-out"

# 3. Neither secret in any file of ours.
for secret in "$password" "$token"; do
    [ -n "$secret" ] || continue
    if grep -rqaF -e "$secret" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XS_WORK/app.log"; then
        fail "a secret was written in plain text"
    fi
done

if [ "$failures" -gt 0 ]; then
    echo "--- app log" >&2; cat "$XS_WORK/app.log" >&2
    exit 1
fi
echo "cloud account: ok"
