#!/usr/bin/env bash
# Installs what is missing, builds Quillon and the demo zone into build/, and
# starts them: two demo zones in the background on 127.0.0.1, and the client with
# its own settings profile (build/demo-home), so your own ~/.Quillon is never
# touched. The second zone connects by itself in a tab of its own; choose File,
# Connect for the first. The demo zones stop when the client exits.
#
#   QUILLON_DEMO_PORT   the first demo zone's UDP port (default 5000; the second's is one more)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
port="${QUILLON_DEMO_PORT:-5000}"
port2=$((port + 1))

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
    # The profile may be edited freely; only the demo zones' ports follow QUILLON_DEMO_PORT.
    sed -i "/^\[Server\]/,/^\[/ s/^Port=.*/Port=$port/" "$home/.Quillon"
    sed -i "/^\[Zone1\]/,/^\[/ s/^Port=.*/Port=$port2/" "$home/.Quillon"
fi
# The Server List's second zone, in profiles made before there was one too.
if ! grep -q '^\[Zones\]' "$home/.Quillon"; then
    cat >>"$home/.Quillon" <<SETTINGS
[Zones]
Count=1
[Zone1]
Name=Second demo zone
IP=127.0.0.1
Port=$port2
UserName=${USER:-Visitor}
Password=demo
AutoConnect=1
SETTINGS
fi

"$build/tools/zone-sim/quillon-zone-sim" --demo "$port" >"$build/demo-zone.log" 2>&1 &
zone=$!
"$build/tools/zone-sim/quillon-zone-sim" --demo "$port2" >"$build/demo-zone-2.log" 2>&1 &
zone2=$!
stop_zones() {
    kill "$zone" "$zone2" 2>/dev/null || true
    wait "$zone" "$zone2" 2>/dev/null || true
}
trap stop_zones EXIT
trap 'exit 130' INT TERM
sleep 0.3
for pid_log in "$zone:$build/demo-zone.log:$port" "$zone2:$build/demo-zone-2.log:$port2"; do
    IFS=: read -r pid log taken <<<"$pid_log"
    if ! kill -0 "$pid" 2>/dev/null; then
        cat "$log" >&2
        echo "A demo zone did not start (is port $taken taken? set QUILLON_DEMO_PORT)." >&2
        exit 1
    fi
done
echo "Demo zones on 127.0.0.1:$port and :$port2 (logs: $build/demo-zone.log, $build/demo-zone-2.log)."
echo "The second connects by itself; in Quillon choose File, Connect for the first."
HOME="$home" "$build/app/quillon"
