#!/usr/bin/env bash
# After `cmake --install`: enables and (re)starts the backend service of the installed halvexd.
set -euo pipefail
prefix=${1:-$HOME/.local}

if [[ "$(uname)" == Darwin ]]; then
    plist="$HOME/Library/LaunchAgents/com.halvex.backend.plist"
    mkdir -p "$(dirname "$plist")"
    sed "s|HALVEXD_PATH|$prefix/bin/halvexd|" "$prefix/share/halvex/com.halvex.backend.plist" > "$plist"
    launchctl unload "$plist" 2>/dev/null || true
    launchctl load -w "$plist"
    echo "Installed and started the launchd agent com.halvex.backend."
    exit 0
fi

if ! systemctl --user show-environment >/dev/null 2>&1; then
    echo "No systemd user manager runs in this session: the unit is installed but not started." >&2
    echo "Start $prefix/bin/halvexd yourself, or use make run, which starts it when needed." >&2
    exit 0
fi
systemctl --user daemon-reload
systemctl --user enable halvex-backend.service
systemctl --user restart halvex-backend.service
echo "Enabled and started halvex-backend.service (systemctl --user status halvex-backend.service)."
