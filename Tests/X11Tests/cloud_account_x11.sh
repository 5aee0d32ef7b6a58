#!/usr/bin/env bash
# The cloud account as a user meets it, against the loopback cloud service and a real Secret
# Service (gnome-keyring in a private D-Bus session): create an account in the account pane,
# withdraw the shared-cache consent, quit, start again still signed in, sign out. Afterwards the
# token is gone from the keyring, the e-mail and quota from the settings, and neither password nor
# token was ever written to a file.
source "$(dirname "$0")/lib/xsession.sh"
source "$(dirname "$0")/lib/cloud_session.sh"

tessary=${1:?usage: cloud_account_x11.sh path/to/tessary}
build=${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}
shots=$build/Tests/artefacts/cloud_account_x11
rm -rf "$shots" && mkdir -p "$shots"
settings=$CLOUD_SETTINGS
email="reader$RANDOM@example.org"
password="pw-$RANDOM$RANDOM-secret"

xsession_start 1280x800
cloud_start_keyring
cloud_start_service

# 1. Create an account in the account pane.
start_app
import -window root "$shots/1-signed-out.png"
cloud_sign_up "$email" "$password"
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
cloud_check_no_secret_written "$password" "$token"
cloud_finish
echo "cloud account: ok"
