#!/usr/bin/env bash
# A real Wayland session to try the tray application by hand, and the one the Wayland desktop test
# runs: headless sway (one 1366x768 output), a private session bus, waybar with its StatusNotifierItem
# tray at the top (or the bottom), mako for notices, wayvnc holding a pointer and a keyboard; then
# halvexd on a free port and halvex from the build directory on Qt's Wayland platform.
#
#   scripts/wayland-session.sh [--build DIR] [--bar top|bottom] [--bar-delay SECONDS] [--no-bar]
#                              [--session-only] [--watch-parent PID]
#
# It prints NAME=value lines (WAYLAND_DISPLAY, SWAYSOCK, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR,
# SESSION_USER, ...), then "READY", and runs until interrupted (or until the --watch-parent process
# ends); every process it started stops with it. With --bar-delay waybar starts that long after READY.
#
# sway refuses to run as root, so under root it runs as the user halvex-desktop (scripts/setup.sh
# makes it) and everything else stays root: root reaches the user's sockets anyway, and the tray host,
# the bus and the application under test then share one user, who can read every icon and file the
# application names. Under any other user the whole session is that user's.
set -euo pipefail
# shellcheck source=lib/halvex-apps.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/halvex-apps.sh"
# shellcheck source=lib/session.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/session.sh"

build=build/release
bar=top
bar_delay=0
with_bar=1
session_only=0
parent=""
while [[ $# -gt 0 ]]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --bar) bar=$2; shift 2 ;;
    --bar-delay) bar_delay=$2; shift 2 ;;
    --no-bar) with_bar=0; shift ;;
    --session-only) session_only=1; shift ;;
    --watch-parent) parent=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
[[ $bar == top || $bar == bottom ]] || { echo "--bar takes top or bottom, not $bar" >&2; exit 2; }
[[ $bar_delay =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "--bar-delay takes seconds, not $bar_delay" >&2; exit 2; }

for tool in sway swaymsg waybar grim mako wayvnc dbus-daemon dbus-send setpriv; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 3; }
done
choose_session_user
start_work_directory halvex-wayland

# The session user must reach its own runtime directory inside the work directory, and nothing more.
chmod 0711 "$work"
sway_runtime="$work/sway-runtime"
mkdir -m 0700 "$sway_runtime"
client_runtime="$work/runtime"
mkdir -m 0700 "$client_runtime"
mkdir -p "$work/config"
if [[ ${#as_session_user[@]} -gt 0 ]]; then
    chown "$session_user": "$sway_runtime"
    "${as_session_user[@]}" test -w "$sway_runtime" ||
        { echo "$session_user cannot enter $work: point TMPDIR at a directory others may enter" >&2; exit 1; }
fi

# No bar of sway's own, no Xwayland, no wallpaper client: sway's plain grey backdrop behind waybar.
# Focus moves by clicks only, so where a test's pointer passes on its way decides nothing.
cat >"$work/sway.conf" <<'SWAY'
xwayland disable
output HEADLESS-1 mode 1366x768 position 0 0 scale 1
focus_follows_mouse no
SWAY
chmod 0644 "$work/sway.conf"
env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$sway_runtime" XDG_RUNTIME_DIR="$sway_runtime" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
    "${as_session_user[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)

start_bus session

sway_socket() {
    compgen -G "$sway_runtime/sway-ipc.*.sock" >/dev/null && compgen -G "$sway_runtime/wayland-*[0-9]" >/dev/null
}
wait_for 20 sway_socket || { echo "sway did not start: $(tail -n 3 "$work/sway.log")" >&2; exit 1; }
SWAYSOCK=$(compgen -G "$sway_runtime/sway-ipc.*.sock" | head -n 1)
WAYLAND_DISPLAY=$(compgen -G "$sway_runtime/wayland-*[0-9]" | head -n 1)
DBUS_SESSION_BUS_ADDRESS=$bus_address
XDG_RUNTIME_DIR=$client_runtime
export SWAYSOCK WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR
# The clients see this session only: no X server, none of the caller's own configuration.
unset DISPLAY
export XDG_CONFIG_HOME="$work/config" GDK_BACKEND=wayland NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

owns() {
    dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q true
}

# waybar's tray module is both the StatusNotifierWatcher and a host registered with it; Qt offers a
# tray icon only once a host is registered.
tray_up() {
    dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:IsStatusNotifierHostRegistered 2>/dev/null | grep -q true
}

# The bar is dark and opaque, so a screenshot tells it from sway's grey and the tray icons read on it.
bar_colour="15 18 1d"
cat >"$work/waybar.json" <<WAYBAR
{
    "layer": "top",
    "position": "$bar",
    "height": 30,
    "modules-left": ["sway/workspaces"],
    "modules-right": ["tray", "clock"],
    "tray": { "icon-size": 22, "spacing": 6 },
    "clock": { "format": "{:%H:%M}", "format-alt": "{:%Y-%m-%d %H:%M}", "tooltip": false }
}
WAYBAR
cat >"$work/waybar.css" <<'CSS'
* { font-family: sans-serif; font-size: 13px; border: none; border-radius: 0; min-height: 0; }
window#waybar { background-color: #15181d; color: #e6e6e6; }
#workspaces button { padding: 0 8px; color: #e6e6e6; background-color: transparent; }
#workspaces button.focused { background-color: #2b313b; }
#tray, #clock { padding: 0 10px; }
CSS
start_bar() {
    HOME="$work" waybar -c "$work/waybar.json" -s "$work/waybar.css" >"$work/waybar.log" 2>&1 &
    pids+=($!)
}
# The middle of the bar holds no module: there it shows its own background once it is drawn.
bar_pixel() {
    local y=15
    [[ $bar == top ]] || y=$((768 - 15))
    [[ $(grim -t ppm -g "683,$y 1x1" - 2>/dev/null | tail -c 3 | od -An -tx1 | xargs) == "$bar_colour" ]]
}
[[ $with_bar -eq 0 || $bar_delay != 0 ]] || start_bar

# Notices stay until dismissed, whatever time-out their sender asks for, so a test can list each one
# that arrived; dark like the bar.
cat >"$work/mako.conf" <<'MAKO'
ignore-timeout=1
default-timeout=0
max-visible=-1
background-color=#1e232bf0
text-color=#e6e6e6
font=sans-serif 10
border-color=#3c4450
MAKO
HOME="$work" mako --config "$work/mako.conf" >"$work/mako.log" 2>&1 &
pids+=($!)

# wayvnc's virtual pointer and keyboard stay on seat0 for the whole session: without a pointer on the
# seat, sway's "cursor press" reaches no client, and a keyboard that comes and goes loses keys.
HOME="$work" wayvnc --unix-socket --output=HEADLESS-1 "$work/vnc" >"$work/wayvnc.log" 2>&1 &
pids+=($!)

fail() { echo "$1 (logs in $work)" >&2; tail -n 5 "$work/$2" >&2 || true; exit 1; }
wait_for 20 swaymsg -t get_outputs >/dev/null 2>&1 || fail "sway does not answer" sway.log
wait_for 20 owns org.freedesktop.Notifications || fail "mako did not take the notification name" mako.log
seat_ready() { swaymsg -t get_seats 2>/dev/null | grep -q '"capabilities": 3'; }
wait_for 20 seat_ready || fail "wayvnc did not add its pointer and keyboard" wayvnc.log
if [[ $with_bar -eq 1 && $bar_delay == 0 ]]; then
    wait_for 20 tray_up || fail "waybar's tray did not start" waybar.log
    wait_for 20 bar_pixel || fail "waybar's bar is not on screen" waybar.log
fi

echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
echo "SWAYSOCK=$SWAYSOCK"
echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
echo "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
echo "SESSION_USER=$session_user"
echo "VNC_SOCKET=$work/vnc"
echo "OUTPUT=HEADLESS-1"

if [[ $session_only -eq 0 ]]; then
    start_halvex_apps "$work" "$build" QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
    environment="WAYLAND_DISPLAY=$WAYLAND_DISPLAY XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR SWAYSOCK=$SWAYSOCK"
    echo "Screenshot:  $environment grim -o HEADLESS-1 screenshot.png"
    echo "Click:       SWAYSOCK=$SWAYSOCK swaymsg 'seat seat0 cursor set X Y; seat seat0 cursor press button1; seat seat0 cursor release button1'"
    echo "Type:        $environment wtype text"
fi
echo READY

if [[ $with_bar -eq 1 && $bar_delay != 0 ]]; then
    sleep "$bar_delay" &
    pids+=($!)
    wait $! || true
    start_bar
fi
while true; do
    if [[ -n "$parent" ]] && ! kill -0 "$parent" 2>/dev/null; then
        exit 0
    fi
    sleep 1 &
    wait $! || true
done
