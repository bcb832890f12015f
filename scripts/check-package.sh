#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian would: lintian, the AppStream and desktop-entry
# validators, both man pages, then installs it with apt, runs both programs, purges it and makes sure
# nothing of it is left. Run as root or with sudo; CI runs it after the test suites.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
fail() {
    echo "check-package: $*" >&2
    exit 1
}

make package
build=build/package
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/halvex_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || fail "no package $deb"
echo "Checking $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One list of installed files: the package holds exactly what the install rules install.
DESTDIR="$work/installed" cmake --install "$build" >/dev/null
(cd "$work/installed" && find . ! -type d | sort) > "$work/install-files"
dpkg-deb -x "$deb" "$work/package"
(cd "$work/package" && find . ! -type d | sort) > "$work/package-files"
diff -u "$work/install-files" "$work/package-files" || fail "the package and the install rules differ"

for wanted in qml6-module-qtquick-controls fonts-noto-color-emoji procps iproute2 libqt6sql6-sqlite \
    libsystemd0 libqt6core6; do
    dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -q "^ *$wanted\b" || fail "Depends lacks $wanted"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == "pipewire-bin | pulseaudio-utils" ]] || fail "wrong Recommends"

lintian --fail-on error,warning --info "$deb"

appstreamcli validate --no-net "$work/package/usr/share/metainfo/org.halvex.Halvex.metainfo.xml"
desktop=$(desktop-file-validate "$work/package/usr/share/applications/org.halvex.Halvex.desktop" 2>&1) ||
    fail "desktop entry: $desktop"
[[ -z "$desktop" ]] || fail "desktop entry: $desktop"

for page in halvex halvexd; do
    file="$work/package/usr/share/man/man1/$page.1.gz"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "$page(1): $warnings"
done

if dpkg-query -W -f='${Status}' halvex 2>/dev/null | grep -q "installed"; then
    echo "Removing the halvex package already installed."
    $sudo apt-get purge -y -q halvex
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "./$deb"
[[ "$(/usr/bin/halvex --version)" == "halvex $version" ]] || fail "halvex --version"
[[ "$(/usr/bin/halvexd --version)" == "halvexd $version" ]] || fail "halvexd --version"
# Each user enables the backend for themselves; the package enables it for nobody.
[[ ! -e /etc/systemd/user/default.target.wants/halvex-backend.service ]] || fail "the unit is enabled globally"

dpkg -L halvex > "$work/owned"
$sudo apt-get purge -y -q halvex
left=()
while read -r path; do
    [[ -e "$path" ]] || continue
    # A directory other packages also use stays, and rightly so.
    [[ -d "$path" ]] && dpkg -S "$path" >/dev/null 2>&1 && continue
    left+=("$path")
done < "$work/owned"
[[ ${#left[@]} -eq 0 ]] || fail "left after purge: ${left[*]}"
echo "check-package: $deb passed."
