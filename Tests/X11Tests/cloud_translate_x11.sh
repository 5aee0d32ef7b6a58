#!/usr/bin/env bash
# Translating a screenshot through the cloud engine as a signed-in user meets it: sign up in the
# account pane (token in a real Secret Service), quit, then translate a selection of the screen
# with the cloud engine chosen. The loopback service must see the bearer token and the shared-cache
# request, the quota must be stored, and the copied picture must read back as the service's
# translations. Started again, the user is still signed in and the same texts now come from the
# shared cache. No password or token is written to any file.
source "$(dirname "$0")/lib/xsession.sh"
source "$(dirname "$0")/lib/cloud_session.sh"

tessary=${1:?usage: cloud_translate_x11.sh path/to/tessary}
: "${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}"
shots=$TESSARY_BUILD_DIR/Tests/artefacts/cloud_translate_x11
rm -rf "$shots" && mkdir -p "$shots"
email="translator$RANDOM@example.org"
password="pw-$RANDOM$RANDOM-secret"
requests=$XS_WORK/service/requests.jsonl
mkdir -p "$XS_WORK/service"

xsession_start 1280x800
cloud_start_keyring

backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1280x800 xc:'#eef0f3' -fill white -stroke '#c8ccd2' \
    -draw 'rectangle 40,40 900,420' -stroke none -fill '#1d1f23' \
    -font DejaVu-Sans-Bold -pointsize 30 -annotate +70+110 'General Settings' \
    -font DejaVu-Sans -pointsize 24 -annotate +70+190 'Launch at login' \
    -annotate +70+260 'Show notifications' -annotate +70+330 'This action cannot be undone.' \
    PNG24:"$backdrop"
xsession_set_root_image "$backdrop"
cat >"$XS_WORK/service/table.json" <<'JSON'
[["General Settings", "常规设置"], ["Launch at login", "登录时启动"],
 ["Show notifications", "显示通知"], ["cannot be undone", "此操作无法撤销。"]]
JSON
CLOUD_EXTRA_SETTINGS=$'TessaryTranslationEngineV2=velmora\nTessaryTranslationTarget=zh-Hans\n' \
    cloud_start_service --translations="$XS_WORK/service/table.json" --requests-file="$requests"

# 1. Sign up through the account pane, then quit.
start_app
cloud_sign_up "$email" "$password"
quit_app
token=$(token_in_keyring)
[ -n "$token" ] || fail "no token in the keyring after registration"

# translate_selection NAME: a new run translates the drawn panel and copies it with Return.
translate_selection() {
    local run=$XS_WORK/$1.log
    # Rows 30…430 top-down of the 800-row screen → y-up origin 370.
    "$tessary" --capture-now --dev-demo-selection --dev-selection-rect=30,370,880,400 \
        --dev-auto-action=translate >"$run" 2>&1 &
    local pid=$!
    for _ in $(seq 600); do
        grep -q "翻译：完成，共 \|翻译失败：" "$run" && break
        sleep 0.1
    done
    cat "$run" >>"$XS_WORK/app.log"
    if ! grep -q "翻译：完成，共 " "$run"; then
        fail "$1: no finished translation"
        kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
        return
    fi
    sleep 0.5
    import -window root "$shots/$1-canvas.png"
    xdotool key Return
    xsession_read_clipboard_png "$shots/$1-copied.png" || fail "$1: nothing copied"
    # The capture closes once copied; a straggler is ended as a user would quit it.
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    tesseract "$shots/$1-copied.png" "$shots/$1-readback" -l chi_sim --psm 3 >/dev/null 2>&1 ||
        fail "$1: tesseract could not read the copied picture"
}

# 2. Started again and still signed in: translate through the cloud engine.
translate_selection first
[ "$(token_in_keyring)" = "$token" ] || fail "the session did not survive a restart"
# 3. Once more: the same texts now come from the shared cache.
translate_selection second
# The account pane shows the quota the service reported: 4 texts, twice.
start_app
import -window root "$shots/account-after.png"
quit_app
/usr/bin/convert "$shots/account-after.png" -crop 440x80+290+430 +repage -resize 200% "$XS_WORK/quota.png"
tesseract "$XS_WORK/quota.png" - --psm 6 2>/dev/null | grep -q "Translations today: 8 of 50" ||
    fail "the account pane does not show the quota used"

python3 - "$requests" "$token" "$CLOUD_SETTINGS" "$shots" <<'PY' || fail "checks failed"
import json, re, sys
requests_path, token, settings_path, shots = sys.argv[1:]
requests = [json.loads(line) for line in open(requests_path, encoding="utf-8")]
translations = [r for r in requests if r["path"].endswith("/translate")]
problems = []
if len(translations) != 2:
    problems.append(f"{len(translations)} translate requests reached the service, not 2")
for n, request in enumerate(translations):
    print("sent:", [item["text"] for item in request["body"]["items"]], "stats:", request["reply"].get("stats"))
    if request["authorization"] != "Bearer " + token:
        problems.append("a translate request without the stored bearer token")
    if request["status"] != 200:
        problems.append(f"translate answered {request['status']}")
    if request["body"].get("bypassCache") is not False or request["body"].get("target") != "zh-Hans":
        problems.append(f"translate asked for {request['body'].get('target')} bypassing the cache")
stats = [r["reply"].get("stats", {}) for r in translations]
if len(stats) == 2:
    if stats[0].get("upstream", 0) < 4 or stats[0].get("cacheHit") != 0:
        problems.append(f"first run not translated upstream: {stats[0]}")
    if stats[1].get("cacheHit") != stats[1].get("blocks") or stats[1].get("upstream") != 0:
        problems.append(f"second run not served from the shared cache: {stats[1]}")
# The quota the service reported last is the one stored.
stored = re.search(r"^TessaryVelmoraQuota=(.*)$", open(settings_path, encoding="utf-8").read(), re.M)
if not stored or not translations:
    problems.append("no quota stored")
else:
    text = stored.group(1)
    if text.startswith('"'):
        text = json.loads(text)
    quota = json.loads(text.replace('\\"', '"'))
    sent = translations[-1]["reply"]["quota"]
    if (quota.get("used"), quota.get("limit")) != (sent["used"], sent["limit"]):
        problems.append(f"stored quota {quota} is not the reported {sent}")

for run in ("first", "second"):
    try:
        read = re.sub(r"\s+", "", open(f"{shots}/{run}-readback.txt", encoding="utf-8").read())
    except OSError:
        problems.append(f"{run}: nothing read back")
        continue
    print(f"{run} read back:", read)
    for expected in ["常规设置", "登录时启动", "显示通知", "此操作无法撤销"]:
        best = max((sum(a == b for a, b in zip(read[i:i + len(expected)], expected)) / len(expected)
                    for i in range(max(1, len(read) - len(expected) + 1))), default=0)
        if best < 0.75:
            problems.append(f"{run}: not read back: {expected} ({best:.2f})")
    for english in ["GeneralSettings", "Launchatlogin", "Shownotifications"]:
        if english in read:
            problems.append(f"{run}: source still visible: {english}")
if problems:
    print("\n".join(problems))
    sys.exit(1)
PY
grep -q "Tessary 云端翻译：4 块，命中 4，上游 0，" "$CLOUD_LOG" || fail "no cache-hit log line for the second run"

cloud_check_no_secret_written "$password" "$token"
cloud_finish
echo "cloud translate: ok"
