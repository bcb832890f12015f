#!/usr/bin/env bash
# Starts halvexd when nothing answers on the backend port, then the tray application (headless
# monitoring when there is no display). A halvexd started here stops with the application.
set -euo pipefail
build=${1:-build/release}
port=3456

backend_answers() {
    # The status line of GET /api/status, through bash's own TCP client.
    local reply
    reply=$(timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port && \
        printf 'GET /api/status HTTP/1.1\r\nHost: 127.0.0.1:$port\r\nConnection: close\r\n\r\n' >&3 && \
        head -n 1 <&3" 2>/dev/null) || return 1
    [[ "$reply" == "HTTP/1.1 200"* ]]
}

backend_pid=""
stop_backend() {
    if [[ -n "$backend_pid" ]]; then
        kill "$backend_pid" 2>/dev/null || true
        wait "$backend_pid" 2>/dev/null || true
    fi
}

if backend_answers; then
    echo "A backend already answers on 127.0.0.1:$port." >&2
else
    echo "Starting halvexd on 127.0.0.1:$port." >&2
    "$build/server/halvexd" --port "$port" &
    backend_pid=$!
    trap stop_backend EXIT
    for _ in $(seq 50); do
        backend_answers && break
        sleep 0.2
    done
    backend_answers || { echo "halvexd does not answer on port $port." >&2; exit 1; }
fi

args=()
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting headless monitoring (Ctrl-C stops it)." >&2
    args+=(--headless)
fi
"$build/src/halvex" "${args[@]}"
