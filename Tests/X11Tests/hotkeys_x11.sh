#!/usr/bin/env bash
# Global hot keys on a real X server: grabs, fallback, conflicts with another client, lock keys,
# keyboard mapping changes and press latency. The checks live in the hotkeys_x11_driver program.
source "$(dirname "$0")/lib/xsession.sh"

build=${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}
driver=$build/Tests/hotkeys_x11_driver
export GRAB_KEY_HELPER=$build/Tests/grab_key_helper
for program in "$driver" "$GRAB_KEY_HELPER"; do
    [ -x "$program" ] || { echo "missing $program (build all targets first)" >&2; exit 1; }
done

xsession_start 1280x800
"$driver" --gtest_brief=0
