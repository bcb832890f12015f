#!/usr/bin/env bash
# Installs the Debian packages listed in packages.txt that are not installed yet.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The detection tests run the sound tools under German and French: those locales must exist.
wanted_locales=(de_DE.UTF-8 fr_FR.UTF-8)
generate=false
for name in "${wanted_locales[@]}"; do
    short=$(echo "${name%.*}.utf8")
    locale -a 2>/dev/null | grep -qx "$short" && continue
    generate=true
    $sudo sed -i -E "s/^# *(${name//./\\.} UTF-8)/\1/" /etc/locale.gen
    grep -q "^${name} UTF-8" /etc/locale.gen || echo "${name} UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
done
if $generate; then
    $sudo locale-gen
fi

# sway refuses to run as root, and GNOME Shell as root covers its top bar with a warning:
# scripts/wayland-session.sh and scripts/gnome-session.sh run them as this unprivileged user instead.
if ! id -u halvex-desktop >/dev/null 2>&1; then
    $sudo useradd --system --user-group --create-home --home-dir /var/lib/halvex-desktop \
        --shell /usr/sbin/nologin --comment "Halvex test desktop" halvex-desktop
fi
