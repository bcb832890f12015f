#!/usr/bin/env bash
# A real GNOME session to try the tray application by hand, and the one the GNOME desktop test runs:
# GNOME Shell 43 headless on Wayland (one 1366x768 virtual monitor) with Xwayland, a private session
# bus and a private bus standing in for the system bus; optionally Ubuntu's AppIndicator extension,
# which hosts the StatusNotifierWatcher and draws tray items in the top bar; then halvexd on a free
# port and halvex from the build directory as GNOME users run it (on Xwayland, QT_QPA_PLATFORM unset).
#
#   scripts/gnome-session.sh [--build DIR] [--appindicator] [--session-only] [--watch-parent PID]
#
# It prints NAME=value lines (WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS,
# DBUS_SYSTEM_BUS_ADDRESS, XDG_RUNTIME_DIR, SESSION_USER, SHOT_DIR, ...), then "READY", and runs until
# interrupted (or until the --watch-parent process ends); every process it started stops with it.
#
# The test extension in tests/fixtures/gnome-test-extension turns on the shell's unsafe mode, so
# org.gnome.Shell.Eval and org.gnome.Shell.Screenshot answer any caller on the session bus, and starts
# the session on the desktop rather than in the overview.
#
# GNOME Shell runs as root, but then puts a "Logged in as a privileged user" notice over the top bar:
# under root it runs as the user halvex-desktop (scripts/setup.sh makes it) and everything else stays
# root, which reaches the user's sockets and Xwayland's authority file anyway. The shell writes its
# screenshots as that user, into SHOT_DIR.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib/session.sh
source "$here/lib/session.sh"
# shellcheck source=lib/halvex-apps.sh
source "$here/lib/halvex-apps.sh"
build=build/release
appindicator=0
session_only=0
parent=""
while [[ $# -gt 0 ]]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --appindicator) appindicator=1; shift ;;
    --session-only) session_only=1; shift ;;
    --watch-parent) parent=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done

for tool in gnome-shell Xwayland gsettings gdbus dbus-daemon dbus-send setpriv; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/setup.sh installs it" >&2; exit 3; }
done
appindicator_uuid=ubuntu-appindicators@ubuntu.com
test_uuid=halvex-test-hooks@halvex.org
if [[ $appindicator -eq 1 && ! -d /usr/share/gnome-shell/extensions/$appindicator_uuid ]]; then
    echo "the AppIndicator extension is missing: scripts/setup.sh installs it" >&2
    exit 3
fi
choose_session_user
start_work_directory halvex-gnome

# The session user reaches its own directories inside the work directory, and nothing more.
chmod 0711 "$work"
shell_home="$work/shell-home"
shell_runtime="$work/shell-runtime"
shot_dir="$work/shots"
client_runtime="$work/runtime"
mkdir -m 0700 "$shell_home" "$shell_runtime" "$client_runtime"
mkdir -m 0755 "$shot_dir"
mkdir -p "$shell_home/.local/share/gnome-shell/extensions"
# Without GDM the shell warns once per user that the screen cannot lock, in a banner over the top
# bar; this file is how it remembers having warned.
touch "$shell_home/.local/share/gnome-shell/lock-warning-shown"
cp -r "$here/../tests/fixtures/gnome-test-extension/$test_uuid" "$shell_home/.local/share/gnome-shell/extensions/"
if [[ ${#as_session_user[@]} -gt 0 ]]; then
    chown -R "$session_user": "$shell_home" "$shell_runtime" "$shot_dir"
    "${as_session_user[@]}" test -w "$shell_runtime" ||
        { echo "$session_user cannot enter $work: point TMPDIR at a directory others may enter" >&2; exit 1; }
fi

start_bus system
DBUS_SYSTEM_BUS_ADDRESS=$bus_address
start_bus session
DBUS_SESSION_BUS_ADDRESS=$bus_address

# The shell's settings live in a key file of its own home (no dconf service to start), written
# before it starts: the extensions to enable, no welcome tour, no animations (a screenshot shows the finished state),
# no screen blanking or lock, and a plain dark background instead of a wallpaper picture.
shell_environment=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$shell_home" XDG_RUNTIME_DIR="$shell_runtime"
    XDG_CONFIG_HOME="$shell_home/.config" XDG_DATA_HOME="$shell_home/.local/share"
    GSETTINGS_BACKEND=keyfile XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME LANG=C.UTF-8
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS")
extensions="['$test_uuid']"
[[ $appindicator -eq 0 ]] || extensions="['$test_uuid', '$appindicator_uuid']"
shell_settings() { "${shell_environment[@]}" "${as_session_user[@]}" gsettings set "$@"; }
shell_settings org.gnome.shell enabled-extensions "$extensions"
shell_settings org.gnome.shell disable-user-extensions false
shell_settings org.gnome.shell welcome-dialog-last-shown-version "'$(gnome-shell --version | grep -o '[0-9.]*$')'"
shell_settings org.gnome.desktop.interface enable-animations false
shell_settings org.gnome.desktop.session idle-delay 0
shell_settings org.gnome.desktop.screensaver lock-enabled false
shell_settings org.gnome.desktop.background picture-options none
shell_settings org.gnome.desktop.background color-shading-type solid
shell_settings org.gnome.desktop.background primary-color '#3c4450'

"${shell_environment[@]}" "${as_session_user[@]}" \
    gnome-shell --headless --wayland --virtual-monitor 1366x768 >"$work/gnome-shell.log" 2>&1 &
pids+=($!)
shell_pid=$!

fail() {
    echo "$1 (logs in $work)" >&2
    grep -v -e '^$' -e 'ActUserManager' "$work/gnome-shell.log" | tail -n 8 >&2 || true
    exit 1
}
export DBUS_SESSION_BUS_ADDRESS
# Runs JavaScript in the shell; prints the JSON of its value, fails when the shell refused or threw.
shell_eval() {
    local reply
    reply=$(gdbus call --session --timeout 10 --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null) || return 1
    [[ $reply == "(true, '"* ]] || return 1
    reply=${reply#"(true, '"}
    echo "${reply%"')"}"
}
shell_alive() { kill -0 "$shell_pid" 2>/dev/null; }
# Started, unsafe mode on (the test extension is enabled), out of the overview.
shell_ready() {
    shell_alive || fail "gnome-shell ended"
    [[ $(shell_eval '!Main.layoutManager._startingUp && global.context.unsafe_mode && !Main.overview.visible') == true ]]
}
wait_for 60 shell_ready || fail "gnome-shell did not start (or the test extension did not load)"
if [[ $appindicator -eq 1 ]]; then
    indicator_ready() {
        [[ $(shell_eval "Main.extensionManager.lookup('$appindicator_uuid')?.state === 1") == true ]]
    }
    wait_for 20 indicator_ready || fail "the AppIndicator extension is not enabled"
    watcher_up() {
        dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher 2>/dev/null | grep -q true
    }
    wait_for 20 watcher_up || fail "the AppIndicator extension did not take org.kde.StatusNotifierWatcher"
fi

# Mutter starts Xwayland on the first free display and says which; its authority file is in the
# shell's runtime directory.
display_line() { grep -m 1 -o 'Using public X11 display :[0-9]*' "$work/gnome-shell.log"; }
wait_for 20 display_line >/dev/null || fail "Mutter did not start Xwayland"
DISPLAY=$(display_line | grep -o ':[0-9]*$')
xauthority() { compgen -G "$shell_runtime/.mutter-Xwaylandauth.*" | head -n 1; }
wait_for 10 xauthority >/dev/null || fail "Xwayland has no authority file"
XAUTHORITY=$(xauthority)
WAYLAND_DISPLAY="$shell_runtime/wayland-0"
[[ -S $WAYLAND_DISPLAY ]] || fail "no Wayland socket at $WAYLAND_DISPLAY"
XDG_RUNTIME_DIR=$client_runtime
export DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_RUNTIME_DIR DBUS_SYSTEM_BUS_ADDRESS
export XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
echo "DISPLAY=$DISPLAY"
echo "XAUTHORITY=$XAUTHORITY"
echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
echo "DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SYSTEM_BUS_ADDRESS"
echo "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
echo "SESSION_USER=$session_user"
echo "SHOT_DIR=$shot_dir"
echo "APPINDICATOR=$appindicator"
echo "SHELL_LOG=$work/gnome-shell.log"

if [[ $session_only -eq 0 ]]; then
    # As GNOME starts it: no platform asked for, so Halvex picks Xwayland itself.
    start_halvex_apps "$work" "$build" -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
    bus="DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
    echo "Screenshot:  $bus gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot --method org.gnome.Shell.Screenshot.Screenshot false false $shot_dir/screen.png"
    echo "Eval:        $bus gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval 'Object.keys(Main.panel.statusArea)'"
    echo "X11:         DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY xdotool search --class halvex"
fi
echo READY

while true; do
    if [[ -n "$parent" ]] && ! kill -0 "$parent" 2>/dev/null; then
        exit 0
    fi
    shell_alive || fail "gnome-shell ended"
    sleep 1 &
    wait $! || true
done
