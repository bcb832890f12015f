# Sourced by the session scripts: halvexd on a free port and halvex from a build directory, both in a
# home of their own inside the session's work directory, as a user who just finished the set-up would
# have them. The arguments after the two directories go to env(1) for halvex (its Qt platform, its
# session type). Both process ids are appended to the caller's `pids`; `halvex_home` and `halvex_port`
# say where they are.
start_halvex_apps() {
    local work=$1 build=$2
    shift 2
    # A port nothing answers on, found with bash's own TCP client.
    halvex_port=0
    local candidate
    for _ in $(seq 50); do
        candidate=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
            halvex_port=$candidate
            break
        fi
    done
    [[ $halvex_port -ne 0 ]] || { echo "no free port found" >&2; exit 1; }
    halvex_home="$work/home"
    mkdir -p "$halvex_home/.config/Halvex"
    printf '[General]\nserverURL=http://127.0.0.1:%s\nhasOnboarded=true\n' "$halvex_port" \
        >"$halvex_home/.config/Halvex/Halvex.conf"
    HOME="$halvex_home" env -u XDG_CONFIG_HOME "$build/server/halvexd" --port "$halvex_port" >"$work/halvexd.log" 2>&1 &
    pids+=($!)
    HOME="$halvex_home" env -u XDG_CONFIG_HOME "$@" "$build/src/halvex" >"$work/halvex.log" 2>&1 &
    pids+=($!)
    echo "HOME=$halvex_home (halvex and halvexd on port $halvex_port; logs in $work)"
}
