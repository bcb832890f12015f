#!/usr/bin/env bash
# A real X session to try the tray application by hand, and the one the desktop test runs: Xvfb on a
# free display (1366x768), a private session bus, openbox, tint2 with its system tray at the bottom
# (or the top), dunst for notices; then halvexd on a free port and halvex from the build directory.
#
#   scripts/desktop-session.sh [--build DIR] [--tray bottom|top] [--session-only] [--watch-parent PID]
#
# It prints DISPLAY=… and DBUS_SESSION_BUS_ADDRESS=… lines, then "READY", and runs until interrupted
# (or until the --watch-parent process ends); every process it started stops with it.
set -euo pipefail
# shellcheck source=lib/halvex-apps.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/halvex-apps.sh"

build=build/release
tray=bottom
session_only=0
parent=""
while [[ $# -gt 0 ]]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --tray) tray=$2; shift 2 ;;
    --session-only) session_only=1; shift ;;
    --watch-parent) parent=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done

for tool in Xvfb openbox tint2 dunst dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 3; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-desktop.XXXXXX")
pids=()
cleanup() {
    trap - EXIT INT TERM
    # Newest first: the applications go before the session that hosts them.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

# Xvfb picks a free display itself and writes its number to the pipe.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 number <"$work/display" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

dbus-daemon --session --nofork --print-address=4 4>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [[ -s "$work/bus" ]] && break
    sleep 0.05
done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS

# The system's default openbox configuration, whatever the user's own holds.
HOME="$work" openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

# A light panel, so a shield in the desktop's (dark) text colour reads on it; the tray sits at the right.
cat >"$work/tint2rc" <<TINT2
rounded = 0
border_width = 0
background_color = #e8e8e8 100
border_color = #e8e8e8 100
panel_items = TS
panel_position = $tray center horizontal
panel_size = 100% 30
panel_background_id = 1
systray_padding = 4 4 6
systray_icon_size = 22
taskbar_mode = single_desktop
task_font_color = #202020 100
TINT2
tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
pids+=($!)

dunst >"$work/dunst.log" 2>&1 &
pids+=($!)

echo "DISPLAY=$DISPLAY"
echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"

if [[ $session_only -eq 0 ]]; then
    start_halvex_apps "$work" "$build" -u XDG_CURRENT_DESKTOP QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11
    echo "Try it:      DISPLAY=$DISPLAY xdotool search --name Halvex"
    echo "Screenshot:  DISPLAY=$DISPLAY import -window root screenshot.png"
fi
echo READY

while true; do
    if [[ -n "$parent" ]] && ! kill -0 "$parent" 2>/dev/null; then
        exit 0
    fi
    sleep 1 &
    wait $! || true
done
