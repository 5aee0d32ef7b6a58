# Shared set-up for the cloud end-to-end tests, sourced after xsession.sh: a private D-Bus session
# with an unlocked gnome-keyring (the real Secret Service), the loopback cloud service, the app's
# preferences window at a fixed place, and signing up through the account pane.
CLOUD_SETTINGS=$XDG_CONFIG_HOME/tessary/tessary.ini
CLOUD_LOG=$XDG_STATE_HOME/tessary/tessary.log
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# cloud_start_keyring: a session bus of our own with an unlocked keyring on it.
cloud_start_keyring() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    XS_PIDS+=("$(sed -n 2p <<<"$bus")")
    echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    sleep 0.5
}
token_in_keyring() { secret-tool lookup server org.tessary.Tessary user velmora-token 2>/dev/null || true; }

# cloud_start_service [service options…]: the loopback service, its origin in CLOUD_ORIGIN, and a
# settings file pointing the app at it (extra settings lines in CLOUD_EXTRA_SETTINGS).
cloud_start_service() {
    xsession_spawn "$TESSARY_BUILD_DIR/Tests/loopback_cloud_service" --origin-file="$XS_WORK/origin" "$@"
    xsession_wait_for_file "$XS_WORK/origin" 10 || { echo "the cloud service did not start" >&2; exit 1; }
    CLOUD_ORIGIN=$(cat "$XS_WORK/origin")
    mkdir -p "$(dirname "$CLOUD_SETTINGS")"
    printf '[General]\nTessaryLanguageOverride=en\nprefs.lastPane=account\nTessaryVelmoraBaseURL=%s\n%s' \
        "$CLOUD_ORIGIN" "${CLOUD_EXTRA_SETTINGS:-}" >"$CLOUD_SETTINGS"
}

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
        grep -qF -- "$1" "$CLOUD_LOG" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "no log line «$1»"
}

# cloud_sign_up EMAIL PASSWORD: creates an account in the open account pane.
cloud_sign_up() {
    click 657 478                       # Create Account
    type_into 505 491 "$1"
    type_into 505 521 "$2"
    click 657 551                       # submit
    wait_for_log "Tessary 云端：注册成功，今日 0/50。"
    sleep 0.5
}

# cloud_check_no_secret_written SECRET…: none of them in any file of ours or in the app's output.
cloud_check_no_secret_written() {
    local secret
    for secret in "$@"; do
        [ -n "$secret" ] || continue
        if grep -rqaF -e "$secret" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XS_WORK/app.log"; then
            fail "a secret was written in plain text"
        fi
    done
}

cloud_finish() {
    if [ "$failures" -gt 0 ]; then
        echo "--- app log" >&2; cat "$XS_WORK/app.log" >&2
        exit 1
    fi
}
