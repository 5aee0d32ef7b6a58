#!/usr/bin/env bash
# The preferences window as a user meets it: launch at login through the autostart entry, window
# shots of every pane in each language and appearance (kept under the build tree for a person to
# look at), and a hot key re-recorded in the window that works at once or is refused when held.
source "$(dirname "$0")/lib/xsession.sh"

tessary=${1:?usage: preferences_x11.sh path/to/tessary}
build=${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}
grab_helper=$build/Tests/grab_key_helper
shots=$build/Tests/artefacts/preferences_x11
rm -rf "$shots" && mkdir -p "$shots"
settings=$XDG_CONFIG_HOME/tessary/tessary.ini
entry=$XDG_CONFIG_HOME/autostart/org.tessary.Tessary.desktop
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Writes the settings file afresh: one "key=value" per argument.
write_settings() {
    mkdir -p "$(dirname "$settings")"
    { echo "[General]"; printf '%s\n' "$@"; } >"$settings"
}

# Runs a --dev-launch-at-login check and prints its log.
login_item() { timeout 20 "$tessary" "--dev-launch-at-login=$1" 2>&1 || true; }
expect_line() { grep -qF -- "$2" <<<"$1" || fail "expected «$2» in: $1"; }

xsession_start 1280x800

# Launch at login: written, validated, read back as the session would, removed.
expect_line "$(login_item status)" "验收：开机自启 状态=notRegistered"
expect_line "$(login_item on)" "验收：开机自启 on → 结果=enabled · 状态=enabled"
[ -f "$entry" ] || fail "no autostart entry written"
desktop-file-validate "$entry" || fail "the autostart entry does not validate"
exec_path=$(sed -n 's/^TryExec=//p' "$entry")
[ -x "$exec_path" ] || fail "TryExec $exec_path is not an executable launcher"
grep -qx "Exec=$exec_path" "$entry" || fail "Exec does not name the absolute launcher"
expect_line "$(login_item status)" "状态=enabled"
# Switched off from the desktop's own settings: not enabled, and turning it on rewrites ours.
sed -i 's/^X-GNOME-Autostart-enabled=true/X-GNOME-Autostart-enabled=false/' "$entry"
expect_line "$(login_item status)" "状态=notRegistered"
expect_line "$(login_item on)" "结果=enabled · 状态=enabled"
expect_line "$(login_item off)" "验收：开机自启 off → 结果=disabled · 状态=notRegistered"
[ ! -e "$entry" ] || fail "the autostart entry survived off"
# A file of our name that the user wrote is never replaced or removed.
printf '[Desktop Entry]\nType=Application\nName=Mine\nExec=/bin/true\n' >"$entry"
cp "$entry" "$XS_WORK/foreign.desktop"
expect_line "$(login_item on)" "结果=failed("
expect_line "$(login_item off)" "结果=disabled"
cmp -s "$entry" "$XS_WORK/foreign.desktop" || fail "a foreign autostart entry was changed"
rm -f "$entry"
# An autostart folder that cannot be written (here a file in its place, which stops root too) is a
# clear failure.
rmdir "$XDG_CONFIG_HOME/autostart"
touch "$XDG_CONFIG_HOME/autostart"
out=$(login_item on)
expect_line "$out" "开机自启开启失败："
expect_line "$out" "结果=failed("
expect_line "$(login_item status)" "状态=notRegistered"
rm "$XDG_CONFIG_HOME/autostart"
expect_line "$(login_item maybe)" "验收：--dev-launch-at-login 只认 on / off / status，收到的是「maybe」。"

# Window shots: every pane, language and appearance.
for language in en zh-Hans ja; do
    for appearance in light dark; do
        for pane in general capture translate account; do
            write_settings "TessaryLanguageOverride=$language" "prefs.lastPane=$pane"
            shot=$shots/$pane-$language-$appearance.png
            "$tessary" --dev-open-preferences --dev-appearance="$appearance" --dev-window-shot="$shot" \
                --dev-window-shot-after=0.8 >"$XS_WORK/shot.log" 2>&1 &
            pid=$!
            xsession_wait_for_file "$shot" 20 || fail "no window shot for $pane $language $appearance"
            kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
            grep -qF "验收：偏好设置窗口已渲染到 $shot（" "$XS_WORK/shot.log" || fail "no shot line for $shot"
        done
    done
done

# Bad settings: wrong types and an unknown pane open the general pane; a save folder that became a
# file is reported inline and kept.
touch "$XS_WORK/not-a-folder"
write_settings "prefs.lastPane=nonsense" "TessaryAlwaysAskWhereToSave=@Variant(garbage)" \
    "TessaryDefaultSaveDirectory=$XS_WORK/not-a-folder" "TessaryLanguageOverride=fr"
"$tessary" --dev-open-preferences --dev-window-shot="$shots/bad-settings.png" --dev-window-shot-after=0.8 \
    >"$XS_WORK/bad.log" 2>&1 &
pid=$!
xsession_wait_for_file "$shots/bad-settings.png" 20 || fail "no window with bad settings"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
grep -q "^TessaryDefaultSaveDirectory=$XS_WORK/not-a-folder" "$settings" || fail "the stored save folder was lost"
grep -q "^prefs.lastPane=nonsense" "$settings" || fail "an unknown pane value was rewritten without a choice"
write_settings "prefs.lastPane=capture" "TessaryDefaultSaveDirectory=$XS_WORK/not-a-folder" "TessaryLanguageOverride=ja"
"$tessary" --dev-open-preferences --dev-window-shot="$shots/bad-save-folder.png" --dev-window-shot-after=0.8 \
    >"$XS_WORK/bad.log" 2>&1 &
pid=$!
xsession_wait_for_file "$shots/bad-save-folder.png" 20 || fail "no window with a save folder that is a file"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true

# Misuse of the script switches.
"$tessary" --dev-start-recording >"$XS_WORK/misuse.log" 2>&1 &
pid=$!
for _ in $(seq 50); do grep -q "验收开关用错了" "$XS_WORK/misuse.log" && break; sleep 0.1; done
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
grep -qF "验收开关用错了：--dev-record-hotkey / --dev-window-shot / --dev-start-recording 都要配 --dev-open-preferences。" \
    "$XS_WORK/misuse.log" || fail "no misuse line"

# A combination held by another client is refused inline. X hands that client the key press itself,
# so the recorder gets it as the scripted key event.
write_settings "TessaryLanguageOverride=en" "prefs.lastPane=general"
coproc GRAB { "$grab_helper" 0x6a ctrl+alt all; }
read -r grabbed <&"${GRAB[0]}"
[ "$grabbed" = grabbed ] || fail "the helper could not hold Ctrl+Alt+J"
"$tessary" --dev-open-preferences --dev-record-hotkey=ctrl+opt:38 --dev-window-shot="$shots/hotkey-conflict.png" \
    --dev-window-shot-after=1.5 >"$XS_WORK/record.log" 2>&1 &
pid=$!
xsession_wait_for_file "$shots/hotkey-conflict.png" 20 || fail "no shot of the refused hot key"
grep -qF "全局热键：⌃⌥J 已被其他应用占用，保持原有热键。" "$XS_WORK/record.log" || fail "Ctrl+Alt+J was not refused"
grep -qF "验收：投递合成按键 ⌃⌥J 到录制控件。" "$XS_WORK/record.log" || fail "no synthetic key line"
exec {GRAB[1]}>&-
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
"$tessary" --dev-open-preferences --dev-start-recording >"$XS_WORK/record2.log" 2>&1 &
pid=$!
for _ in $(seq 100); do grep -q "验收：已进入热键录制态。" "$XS_WORK/record2.log" && break; sleep 0.1; done
window=$(xdotool search --sync --name "^Tessary Preferences\$" | head -n1)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.3
# The current combination while recording reaches the recorder: our own grab is suspended.
xdotool key --clearmodifiers ctrl+alt+a
sleep 0.5
! grep -q "性能：截图请求到覆盖层显示" "$XS_WORK/record2.log" || fail "our own grab took the key while recording"
# A click on the recorder starts recording again; then the new combination.
xdotool mousemove --window "$window" 270 57 click 1
sleep 0.3
xdotool key --clearmodifiers ctrl+alt+k
for _ in $(seq 50); do grep -q "全局热键：用户改为 ⌃⌥K。" "$XS_WORK/record2.log" && break; sleep 0.1; done
grep -q "全局热键：用户改为 ⌃⌥K。" "$XS_WORK/record2.log" || fail "Ctrl+Alt+K was not taken"
grep -q "^TessaryHotKeyCombination=ctrl+opt:40" "$settings" || fail "the new hot key was not stored"
# The old combination is released and the new one works at once: the global grab answers.
xdotool key --clearmodifiers ctrl+alt+k
for _ in $(seq 100); do grep -q "性能：截图请求到覆盖层显示" "$XS_WORK/record2.log" && break; sleep 0.1; done
grep -q "性能：截图请求到覆盖层显示" "$XS_WORK/record2.log" || fail "the new hot key did not start a capture"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true

# A DeepSeek key typed into the translate pane goes to the keyring, and nowhere else, when the
# user switches panes.
cat >"$XS_WORK/keyring.sh" <<INNER
set -euo pipefail
echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
sleep 0.5
printf '[General]\nTessaryLanguageOverride=en\nprefs.lastPane=translate\nTessaryTranslationEngineV2=deepseek\n' >"$settings"
"$tessary" --dev-open-preferences >"$XS_WORK/key.log" 2>&1 &
pid=\$!
window=\$(xdotool search --sync --name "^Tessary Preferences\\\$" | head -n1)
sleep 1
xdotool windowactivate --sync "\$window" 2>/dev/null || true
xdotool mousemove --window "\$window" 480 146 click 1
xdotool type --delay 20 "sk-typed-in-the-pane"
xdotool mousemove --window "\$window" 50 47 click 1
for _ in \$(seq 50); do grep -q "DeepSeek 密钥：" "$XS_WORK/key.log" && break; sleep 0.1; done
kill "\$pid"; wait "\$pid" 2>/dev/null || true
grep -q "DeepSeek 密钥：已存入钥匙串" "$XS_WORK/key.log"
[ "\$(secret-tool lookup server org.tessary.Tessary user deepseek)" = "sk-typed-in-the-pane" ]
! grep -rqF "sk-typed-in-the-pane" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XS_WORK/key.log"
INNER
dbus-run-session -- bash "$XS_WORK/keyring.sh" || fail "a DeepSeek key typed into the pane did not reach the keyring"

echo "window shots in $shots"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "preferences_x11: all checks passed"
