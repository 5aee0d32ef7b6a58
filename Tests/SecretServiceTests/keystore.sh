#!/usr/bin/env bash
# The key store against a real Secret Service (gnome-keyring in a private D-Bus session) and with
# none at all; afterwards no secret may be found in settings, logs or any XDG folder.
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
secret_a="sk-keyring-$RANDOM$RANDOM"
secret_b="sk-memory-$RANDOM$RANDOM"
fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. A real Secret Service: every account round trips; a kept key survives into another process.
cat > "$work/session.sh" <<INNER
set -euo pipefail
echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
sleep 0.5
"$driver" roundtrip "$secret_a" | tee "$work/roundtrip.out"
grep -qx "memoryOnly=0 notices=0" "$work/roundtrip.out"
"$driver" keep "$secret_a" >/dev/null
secret-tool search --all server org.tessary.Tessary 2>&1 | grep -q "user = deepseek"
[ "\$("$driver" read | head -1)" = "$secret_a" ]
"$driver" delete >/dev/null
[ "\$("$driver" read | head -1)" = "<none>" ]
INNER
dbus-run-session -- bash "$work/session.sh" || fail "round trip through gnome-keyring"

# 2. A keyring that stays locked (its unlock prompt cannot be shown): memory only, said once.
cat > "$work/locked.sh" <<INNER
set -euo pipefail
gnome-keyring-daemon --start --components=secrets >/dev/null 2>&1 </dev/null
sleep 0.5
"$driver" roundtrip "$secret_b" | tail -1 | grep -qx "memoryOnly=1 notices=1"
INNER
dbus-run-session -- bash "$work/locked.sh" 2>/dev/null || fail "locked keyring: expected memory only"

# 3. A bus that accepts the connection and never answers (as D-Bus autolaunch can): the job
#    timeout gives up, memory only.
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(8)
conns = []
while True:
    c, _ = s.accept(); conns.append(c)
' "$work/mute-bus" &
mute=$!
sleep 0.3
out=$(DBUS_SESSION_BUS_ADDRESS=unix:path=$work/mute-bus KEYSTORE_JOB_TIMEOUT_MS=800 timeout 60 "$driver" roundtrip "$secret_b") \
    || { kill $mute; fail "silent bus: round trip"; }
kill $mute
[ "$(echo "$out" | tail -1)" = "memoryOnly=1 notices=1" ] || fail "silent bus: expected memory only"

# 4. No Secret Service: memory only, said once, gone with the process.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
out=$("$driver" roundtrip "$secret_b") || fail "memory-only round trip"
echo "$out"
[ "$(echo "$out" | tail -1)" = "memoryOnly=1 notices=1" ] || fail "expected one memory-only notice"
out=$("$driver" keep "$secret_b") || fail "memory-only keep"
[ "$("$driver" read | head -1)" = "<none>" ] || fail "a memory-only secret outlived its process"
grep -q "钥匙串不可用" "$XDG_STATE_HOME/tessary/tessary.log" || fail "memory-only log line missing"

# 5. No secret anywhere on disk.
find "$XDG_CONFIG_HOME" -type f -name "tessary.ini" | grep -q . || fail "no settings file was written"
if grep -rqaF -e "$secret_a" -e "$secret_b" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" \
    "$XDG_DATA_HOME/tessary" 2>/dev/null; then
    fail "a secret was written in plain text"
fi
echo "keystore: ok"
