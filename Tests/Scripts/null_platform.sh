#!/usr/bin/env bash
# A session no backend serves (here Qt's offscreen platform, with no TESSARY_PLATFORM): a capture is
# refused with a notice that says why, and nothing is captured, saved or copied.
set -euo pipefail
app=$1
work=$(mktemp -d /tmp/tessary-null.XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset TESSARY_PLATFORM DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

saved=$work/saved.png
"$app" --capture-now --dev-demo-selection --dev-selection-rect=10,10,100,100 \
    --dev-auto-action=save --dev-save-to="$saved" >"$work/app.log" 2>&1 &
pid=$!
for _ in $(seq 100); do grep -q '提示：' "$work/app.log" && break; sleep 0.1; done
sleep 3.5 # longer than a scripted action waits before it runs
cat "$work/app.log"
grep -q '平台：当前会话（offscreen）没有可用的截屏后端' "$work/app.log"
grep -q '抓屏失败：.*offscreen' "$work/app.log"
grep -q '提示：.*offscreen' "$work/app.log"
! grep -q '性能：截图请求到覆盖层显示' "$work/app.log" || { echo "an overlay was shown"; exit 1; }
[ ! -e "$saved" ] || { echo "a file was saved"; exit 1; }
echo PASS
