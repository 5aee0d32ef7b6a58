#!/usr/bin/env bash
# Scripted OCR against a real X server: the selection's text reaches the clipboard as plain text, in
# reading order, and an empty selection leaves the clipboard as it was.
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
xsession_start 1280x720

# Two rows of two columns: read row by row. Text in the top-left quarter, nothing below row 360.
backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1280x720 xc:white -fill black -font DejaVu-Sans -pointsize 16 \
    -annotate +40+60 'Capture the whole screen' -annotate +360+60 'Save as PNG' \
    -annotate +40+100 'Pin the selection' -annotate +360+100 'Copy the text' \
    -font Noto-Sans-CJK-SC -annotate +40+140 '识别出的文字会复制到剪贴板' \
    PNG24:"$backdrop"
xsession_set_root_image "$backdrop"
expected=$'Capture the whole screen\nSave as PNG\nPin the selection\nCopy the text\n识别出的文字会复制到剪贴板'

clipboard_text() { xclip -selection clipboard -o 2>/dev/null || true; }

# The text area: x 20…620, rows 30…160 (top-down) → y-up origin 720-160 = 560.
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=20,560,600,130 \
    --dev-auto-action=ocr >"$XS_WORK/ocr.log" 2>&1 &
XS_PIDS+=($!)
text=
for _ in $(seq 150); do
    text=$(clipboard_text)
    [ -n "$text" ] && break
    sleep 0.2
done
echo "clipboard: ${text//$'\n'/ | }"
# Character accuracy against the drawn text (edit distance over code points).
accuracy=$(python3 - "$text" "$expected" <<'PY'
import sys
a, b = sys.argv[1], sys.argv[2]
row = list(range(len(b) + 1))
for i in range(1, len(a) + 1):
    diagonal, row[0] = row[0], i
    for j in range(1, len(b) + 1):
        diagonal, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1]))
print(f"{1 - row[len(b)] / len(b):.4f}")
PY
)
echo "accuracy: $accuracy"
python3 -c "import sys; sys.exit(0 if float('$accuracy') >= 0.95 else 1)" || { cat "$XS_WORK/ocr.log"; exit 1; }
grep -q "提取文字：识别到 " "$XS_WORK/ocr.log" || { cat "$XS_WORK/ocr.log"; exit 1; }

# A blank part of the screen: nothing recognised, the clipboard keeps what it had.
printf 'kept' | xclip -selection clipboard -i
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=700,40,400,200 \
    --dev-auto-action=ocr >"$XS_WORK/empty.log" 2>&1 &
XS_PIDS+=($!)
for _ in $(seq 150); do
    grep -q "提取文字：识别到 0 个字符，未写剪贴板。" "$XS_WORK/empty.log" && break
    sleep 0.2
done
grep -q "提取文字：识别到 0 个字符，未写剪贴板。" "$XS_WORK/empty.log" || { cat "$XS_WORK/empty.log"; exit 1; }
[ "$(clipboard_text)" = kept ] || { echo "clipboard changed: $(clipboard_text)"; exit 1; }
echo "PASS"
