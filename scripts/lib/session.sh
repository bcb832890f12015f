# Sourced by the desktop session scripts: the user the compositor runs as, a work directory whose
# processes all stop with the script, polling, and private D-Bus buses.

# Compositors refuse root (sway) or warn over their bar (GNOME Shell): as root the session runs as
# the unprivileged halvex-desktop (scripts/setup.sh creates it); otherwise as the caller. Sets
# `session_user` and `as_session_user`, the command prefix that runs a program as that user.
choose_session_user() {
    if [[ $(id -u) -eq 0 ]]; then
        session_user=halvex-desktop
        id -u "$session_user" >/dev/null 2>&1 ||
            { echo "missing user $session_user: run scripts/setup.sh" >&2; exit 3; }
        as_session_user=(setpriv --reuid="$session_user" --regid="$session_user" --init-groups)
    else
        session_user=$(id -un)
        as_session_user=()
    fi
}

# A fresh work directory `work` (prefix $1), removed at exit with every process listed in `pids`
# stopped, newest first: the applications go before the session that hosts them, the session before
# its buses.
start_work_directory() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    pids=()
    trap stop_session EXIT
    trap 'exit 0' INT TERM
}
stop_session() {
    trap - EXIT INT TERM
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}

# Polls a command every 50 ms for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 20))
    for ((try = 0; try < tries; try++)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# A dbus-daemon of type $1 (session or system) on $work/$1-bus, with a configuration of its own: no
# service directories, so nothing is started on demand behind the script's back and left running
# after it, and open to the session's user as well as the caller. Sets `bus_address`.
start_bus() {
    cat >"$work/$1.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>unix:path=$work/$1-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
    dbus-daemon --config-file="$work/$1.conf" --nofork --print-address=4 4>"$work/$1-address" \
        >"$work/$1-dbus.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -s "$work/$1-address" || { echo "the $1 dbus-daemon did not start" >&2; exit 1; }
    bus_address=$(head -n 1 "$work/$1-address")
}
