#!/usr/bin/env bash
# Every include points down: transport <- zone <- console <- client <- app, the
# settings store beside the core, the simulator on the transport alone; and no
# widget includes the main window; no platform conditionals outside the seams.
set -u
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$root" || exit 2
status=0
check() { # folder, folders it may not include
    local found
    found=$(grep -rn -E "#include \"($2)/" "$1" 2>/dev/null)
    if [ -n "$found" ]; then
        echo "$1 includes a layer above it:"
        echo "$found"
        status=1
    fi
}
check transport 'zone|console|client|settings|app|tools'
check zone 'console|client|settings|app|tools'
check console 'client|settings|app|tools'
check client 'settings|app|tools'
check settings 'console|client|app|tools'
check tools 'zone|console|client|settings|app'
widgets=$(grep -ln 'include "app/ChatFrame.h"' app/*.cpp app/*.h | grep -v -E 'app/(ChatFrame|ChatApp)\.')
if [ -n "$widgets" ]; then
    echo "These include the main window: $widgets"
    status=1
fi
# What differs between Windows and Linux stays behind the seams made for it: the
# sockets, the program folder and where the settings store keeps its values.
platform=$(grep -rln -E '^\s*#\s*(if|ifdef|ifndef|elif).*(_WIN32|__linux__|__WXMSW__|__WXGTK__|_MSC_VER|__MINGW)' \
    transport zone console client settings app tools |
    grep -v -x -E 'transport/UdpSocket\.(h|cpp)|zone/ProgramFolder\.cpp|settings/SettingsStore\.cpp|tools/zone-sim/ServerSocket\.cpp')
if [ -n "$platform" ]; then
    echo "Platform conditionals outside the seams: $platform"
    status=1
fi
[ "$status" -eq 0 ] && echo "layers hold"
exit "$status"
