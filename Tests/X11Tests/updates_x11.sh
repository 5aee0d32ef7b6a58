#!/usr/bin/env bash
# The update check of a real start: a loopback web server serves the release manifest, Tessary is
# pointed at it with --dev-update-manifest-url= and checks at launch. A newer release is logged,
# stored in the settings file and announced in the tray menu; a manifest with an http download is
# refused and leaves nothing behind.
source "${TESSARY_TEST_HELPERS:?set by ctest}/xsession.sh"
bin=${1:?usage: updates_x11.sh path/to/tessary}

fail() { echo "FAIL: $*" >&2; cat "$XS_WORK"/*.log >&2 2>/dev/null; exit 1; }

wait_for_log() { # PATTERN FILE
    for _ in $(seq 150); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

arch=$(uname -m)
site=$XS_WORK/site
mkdir -p "$site"
manifest() { # VERSION DOWNLOAD_URL
    printf '{"schemaVersion":1,"version":"%s","build":1,"platform":"linux","architecture":"%s",' "$1" "$arch"
    printf '"minimumSystemVersion":"2.17.0","downloadURL":"%s","releaseNotes":"Notes."}' "$2"
}
manifest 99.0.0 https://downloads.example.invalid/tessary.tar.gz >"$site/newer.json"
manifest 99.0.0 http://downloads.example.invalid/tessary.tar.gz >"$site/hostile.json"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
xsession_spawn python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
for _ in $(seq 50); do python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/newer.json')" 2>/dev/null && break; sleep 0.1; done

xsession_start 1280x800
xsession_spawn trayer --edge top --align right --widthtype pixel --width 120 --height 24
ini=$XDG_CONFIG_HOME/tessary/tessary.ini

# Refused: nothing stored, the failure logged.
xsession_spawn "$bin" "--dev-update-manifest-url=http://127.0.0.1:$port/hostile.json" --dev-check-updates-now \
    2>"$XS_WORK/hostile.log"
app=${XS_PIDS[-1]}
wait_for_log '检查更新失败（手动）：invalidManifest' "$XS_WORK/hostile.log" || fail "hostile manifest not refused"
kill "$app"; wait "$app" 2>/dev/null || true
! grep -q 'availableRelease' "$ini" 2>/dev/null || fail "a refused release was stored"

# Accepted: logged, stored, and the menu shows the item.
xsession_spawn "$bin" "--dev-update-manifest-url=http://127.0.0.1:$port/newer.json" --dev-check-updates-now \
    --dev-open-menu 2>"$XS_WORK/newer.log"
app=${XS_PIDS[-1]}
wait_for_log '→ 有新版本 99.0.0（1）' "$XS_WORK/newer.log" || fail "newer release not announced"
grep -q '验收：更新清单地址临时改为 http://127.0.0.1' "$XS_WORK/newer.log" || fail "override not logged"
for _ in $(seq 50); do grep -q 'availableRelease' "$ini" 2>/dev/null && break; sleep 0.1; done
grep -q 'availableRelease' "$ini" || fail "release not stored"
grep -q 'lastSuccessfulCheck' "$ini" || fail "last successful check not stored"
sleep 1.5
if [ -n "${TESSARY_SHOT_DIR:-}" ]; then /usr/bin/import -window root "$TESSARY_SHOT_DIR/updates_menu.png"; fi
kill "$app"; wait "$app" 2>/dev/null || true
echo "updates_x11: ok"
