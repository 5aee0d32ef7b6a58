#!/usr/bin/env bash
# In-place translation against a real X server and a loopback chat-completions server: English UI
# text on screen is translated to Simplified Chinese over the source, Return copies the translated
# picture, and what was sent (and what was not) is checked on the server's side.
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
lib=$(cd "$(dirname "$0")/lib" && pwd)
artifacts=${TESSARY_E2E_ARTIFACTS:-$XS_WORK}
xsession_start 1280x720

# A settings page, a dialog, a paragraph with a date, a URL, a price and a total, and one line
# already in Chinese.
backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1280x720 xc:'#eef0f3' \
    -fill white -stroke '#c8ccd2' -draw 'rectangle 40,30 620,420' \
    -fill '#fbfbfc' -draw 'rectangle 680,30 1240,300' \
    -fill '#e4e7eb' -draw 'roundrectangle 880,220 1010,270 6,6' -draw 'roundrectangle 1060,220 1200,270 6,6' \
    -fill white -draw 'rectangle 40,450 1240,700' -stroke none \
    -fill '#1d1f23' -font DejaVu-Sans-Bold -pointsize 26 -annotate +64+84 'General Settings' \
    -annotate +710+86 'Delete this file?' \
    -font DejaVu-Sans -pointsize 18 \
    -annotate +64+150 'Launch at login' -annotate +64+205 'Show notifications' \
    -annotate +64+260 'Check for updates automatically' -annotate +64+370 '$49.99' \
    -annotate +710+150 'This action cannot be undone.' \
    -annotate +910+252 'Cancel' -annotate +1096+252 'Delete' \
    -annotate +64+500 'The new version was released on May 6, 2024 with many improvements.' \
    -annotate +64+555 'Read the release notes at example.com/notes' \
    -annotate +64+610 'May 6, 2024' -annotate +64+665 'Total: 1,280.00' \
    -font Noto-Sans-CJK-SC -annotate +64+315 '这是一段中文说明文字。' \
    PNG24:"$backdrop"
xsession_set_root_image "$backdrop"

# What the server answers: the first phrase a text contains picks its translation; others get "".
cat >"$XS_WORK/table.json" <<'JSON'
[["General Settings", "常规设置"], ["Launch at login", "登录时启动"],
 ["Show notifications", "显示通知"], ["Check for updates", "自动检查更新"],
 ["Delete this file", "删除此文件？"], ["cannot be undone", "此操作无法撤销。"],
 ["released on", "新版本已于2024年5月6日发布，带来许多改进。"],
 ["release notes", "发行说明见 example.com/notes"], ["Cancel", "取消"], ["Delete", "删除"]]
JSON
requests=$XS_WORK/requests.jsonl
xsession_spawn python3 "$lib/chat_server.py" "$XS_WORK/table.json" "$XS_WORK/port" "$requests"
xsession_wait_for_file "$XS_WORK/port" 10
port=$(cat "$XS_WORK/port")

mkdir -p "$XDG_CONFIG_HOME/tessary"
cat >"$XDG_CONFIG_HOME/tessary/tessary.ini" <<INI
[General]
TessaryTranslationEngineV2=deepseek
TessaryTranslationTarget=zh-Hans
TessaryTranslationDeepSeekBaseURL=http://127.0.0.1:$port/v1
INI

log=$XS_WORK/translate.log
fail() { echo "FAIL: $*"; cat "$log"; exit 1; }
# Starts a capture translating everything drawn (rows 10…710 top-down → y-up origin 10), logging
# to $log, and waits for the translation to be shown.
translate_all() {
    "$tessary" --capture-now --dev-demo-selection --dev-selection-rect=20,10,1240,700 \
        --dev-auto-action=translate >"$log" 2>&1 &
    XS_PIDS+=($!)
    for _ in $(seq 600); do
        grep -q "翻译：完成，共 \|翻译失败：" "$log" && break
        sleep 0.1
    done
    grep -q "翻译：完成，共 " "$log" || fail "no finished translation"
}
translate_all
sleep 0.5
import -window root "$artifacts/translate-canvas.png"

for line in "翻译：识别到 " "段不送翻译（其中 " "段含英文日期，已在本机换成 zh-Hans 写法。" \
    "段有译文，其余保持原样。" "版面识别预热"; do
    grep -q "$line" "$log" || fail "log line missing: $line"
done

# The translated words are text: a drag over the heading selects it and Ctrl+C copies it.
xdotool mousemove 66 77 mousedown 1 mousemove 180 78 mousemove 330 78 mouseup 1
xdotool key ctrl+c
copiedText=
for _ in $(seq 50); do
    copiedText=$(xclip -selection clipboard -o 2>/dev/null || true)
    [ -n "$copiedText" ] && break
    sleep 0.1
done
[ "$copiedText" = "常规设置" ] || fail "selected translation not copied: '$copiedText'"

# Return copies the selection with the translation drawn in.
xdotool key Return
copied=$artifacts/translate-copied.png
xsession_read_clipboard_png "$copied" || fail "nothing copied"
tesseract "$copied" "$XS_WORK/readback" -l chi_sim --psm 3 >/dev/null 2>&1
cp "$XS_WORK/readback.txt" "$artifacts/translate-readback.txt"

python3 - "$requests" "$XS_WORK/readback.txt" <<'PY' || fail "checks failed"
import json, re, sys
requests = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
sent = [item["text"] for request in requests for item in request["items"]]
print("sent:", sent)
problems = []
if not requests:
    problems.append("no request reached the server")
for request in requests:
    if request["path"] != "/v1/chat/completions" or request["model"] != "deepseek-flash":
        problems.append(f"request to {request['path']} with model {request['model']}")
    if "zh-Hans" not in request["system"]:
        problems.append("target missing from the system prompt")
    if request["authorization"]:
        problems.append("a key was sent to a local server that needs none")
# Figures and the Chinese line stay home; the date was converted before sending.
for text in sent:
    if "中文" in text or not re.search(r"[A-Za-z]{2}", text):
        problems.append(f"sent what needs no translation: {text!r}")
    if "May 6" in text:
        problems.append(f"English date sent: {text!r}")
if not any("2024年5月6日" in text and "released" in text for text in sent):
    problems.append("the dated paragraph was not sent with its date converted")

# What the copied picture reads as, spaces dropped (the recogniser spaces out CJK).
read = re.sub(r"\s+", "", open(sys.argv[2], encoding="utf-8").read())
print("read back:", read)
def found(expected):
    expected = re.sub(r"\s+", "", expected)
    best = 0
    for start in range(max(1, len(read) - len(expected) + 1)):
        window = read[start:start + len(expected)]
        best = max(best, sum(a == b for a, b in zip(window, expected)) / len(expected))
    return best
for expected in ["常规设置", "登录时启动", "显示通知", "自动检查更新", "删除此文件", "此操作无法撤销",
                 "新版本已于2024年5月6日发布，带来许多改进。", "发行说明见", "这是一段中文说明文字"]:
    score = found(expected)
    print(f"{expected}: {score:.2f}")
    if score < 0.75:
        problems.append(f"not read back: {expected}")
if read.count("2024年5月6日") < 2:
    problems.append("the date line was not converted locally")
for english in ["GeneralSettings", "Launchatlogin", "Shownotifications", "cannotbeundone"]:
    if english in read:
        problems.append(f"source still visible: {english}")
if problems:
    print("\n".join(problems))
    sys.exit(1)
PY
# Once translated, a new selection dragged from outside over the translated words drops the
# translation and is not hindered by them: Return copies the new selection as it is.
log=$XS_WORK/reselect.log
translate_all
xdotool mousemove 5 5 mousedown 1 mousemove 105 80 mousemove 205 155 mouseup 1
sleep 0.3
xdotool key Return
for _ in $(seq 50); do
    grep -q "完成：已裁剪 " "$log" && break
    sleep 0.1
done
grep -q "完成：已裁剪 200x150 像素，写剪贴板成功。" "$log" || fail "the new selection was not copied as dragged"
xsession_read_clipboard_png "$XS_WORK/reselected.png" || fail "nothing copied"
/usr/bin/convert "$backdrop" -crop 200x150+5+5 +repage "$XS_WORK/expected.png"
difference=$(xsession_pixel_difference "$XS_WORK/reselected.png" "$XS_WORK/expected.png")
[ "$difference" = 0 ] || fail "the new selection carries translation remnants ($difference pixels differ)"
echo "PASS"
