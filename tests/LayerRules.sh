#!/usr/bin/env bash
# Every include points down: transport <- zone <- console <- client <- app, the
# settings store beside the core, the simulator on the transport alone; and no
# widget includes the main window.
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
[ "$status" -eq 0 ] && echo "layers hold"
exit "$status"
