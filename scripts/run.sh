#!/usr/bin/env bash
# Installs what is missing, builds Quillon and the demo zone into build/, and
# starts both: the demo zone in the background on 127.0.0.1, and the client with
# its own settings profile (build/demo-home), so your own ~/.Quillon is never
# touched. Choose File, Connect. The demo zone stops when the client exits.
#
#   QUILLON_DEMO_PORT   the demo zone's UDP port (default 5000)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
port="${QUILLON_DEMO_PORT:-5000}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON
cmake --build "$build" -j"$(nproc)" --target quillon quillon-zone-sim

home="$build/demo-home"
mkdir -p "$home"
if [ ! -f "$home/.Quillon" ]; then
    cat >"$home/.Quillon" <<SETTINGS
[User]
Name=${USER:-Visitor}
Password=demo
[Server]
Name=Quillon demo zone
IP=127.0.0.1
Port=$port
[Font]
FontName=DejaVu Sans Mono
FontSize=10
[Window]
Timestamps=1
SETTINGS
else
    # The profile may be edited freely; only the demo zone's port follows QUILLON_DEMO_PORT.
    sed -i "s/^Port=.*/Port=$port/" "$home/.Quillon"
fi

"$build/tools/zone-sim/quillon-zone-sim" --demo "$port" >"$build/demo-zone.log" 2>&1 &
zone=$!
stop_zone() {
    kill "$zone" 2>/dev/null || true
    wait "$zone" 2>/dev/null || true
}
trap stop_zone EXIT
trap 'exit 130' INT TERM
sleep 0.3
if ! kill -0 "$zone" 2>/dev/null; then
    cat "$build/demo-zone.log" >&2
    echo "The demo zone did not start (is port $port taken? set QUILLON_DEMO_PORT)." >&2
    exit 1
fi
echo "Demo zone on 127.0.0.1:$port (its log: $build/demo-zone.log). In Quillon choose File, Connect."
HOME="$home" "$build/app/quillon"
