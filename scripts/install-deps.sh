#!/usr/bin/env bash
# Installs the Debian packages Quillon needs to build, test and run, when any is
# missing: with apt-get as root, through sudo otherwise. Packages named as
# arguments are installed with them (scripts/bench.sh asks for valgrind).
set -euo pipefail

packages=(cmake make g++ libwxgtk3.2-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
    dpkg-dev file "$@") # dpkg-dev and file let cpack give the Debian package its dependencies

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "Missing packages: ${missing[*]}. Install them as root (sudo is not available)." >&2
    exit 1
fi

echo "Installing missing packages: ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
