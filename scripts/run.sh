#!/usr/bin/env bash
# Starts the tray application; without a display it runs headless monitoring instead.
set -euo pipefail
build=${1:-build/release}
args=()
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting headless monitoring (Ctrl-C stops it)." >&2
    args+=(--headless)
fi
exec "$build/src/halvex" "${args[@]}"
