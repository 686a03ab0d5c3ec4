#!/usr/bin/env bash
# quillon.exe under Wine against quillon-zone-sim.exe on loopback, driven as a
# user would: File, Connect; a chat line out; ?logbuffer to see what came in;
# the map downloaded into Maps\; Alt+X, and a clean exit. Needs an X display
# (run it under xvfb-run) and xdotool.
#
#   WineSmoke.sh QUILLON_EXE ZONE_SIM_EXE WORK_FOLDER [SCREENSHOT]
set -uo pipefail
quillon_exe=$1 sim_exe=$2 work=$3 screenshot=${4:-}
export WINEDEBUG=-all WINEPREFIX=$work/wineprefix WINEDLLOVERRIDES="mscoree,mshtml="

sim_pid="" client_pid=""
fail() {
    echo "FAIL: $*"
    echo "--- zone log"; grep -v '^zone packet' "$work/zone.log" | tail -20
    [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    exit 1
}
# Polls a condition every 200 ms, up to a timeout in seconds.
wait_for() {
    local seconds=$1; shift
    for _ in $(seq $((seconds * 5))); do "$@" && return 0; sleep 0.2; done
    return 1
}
step() { printf '%(%T)T  %s\n' -1 "$*"; }

mkdir -p "$work"
if [ ! -d "$WINEPREFIX/drive_c" ]; then
    step "creating the Wine prefix"
    wine wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
fi
wineserver -w

# The program folder is the executable's: a fresh copy keeps the run's files apart.
program=$work/program
rm -rf "$program" && mkdir -p "$program" && cp "$quillon_exe" "$program/quillon.exe"

port=$((20000 + RANDOM % 20000))
step "zone simulator on port $port"
wine "$sim_exe" "$port" --demo >"$work/zone.log" 2>&1 &
sim_pid=$!
wait_for 60 grep -q "listening on" "$work/zone.log" || fail "the simulator did not start"

# Settings live in the registry under the program's name, as wxConfig keeps them on Windows.
reg() { wine reg add "HKCU\\Software\\Quillon\\$1" /v "$2" /d "$3" /f >/dev/null 2>&1 || fail "reg add $1\\$2"; }
wine reg delete 'HKCU\Software\Quillon' /f >/dev/null 2>&1
reg Server IP 127.0.0.1
reg Server Port "$port"
reg User Name WineTester

step "starting quillon.exe"
(cd "$program" && exec wine quillon.exe) >"$work/quillon.log" 2>&1 &
client_pid=$!
window=""
find_window() { window=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | head -n 1); [ -n "$window" ]; }
wait_for 90 find_window || fail "no Quillon window"
key() { xdotool windowfocus "$window" 2>/dev/null; sleep 0.3; xdotool key --delay 80 "$@"; }
type_line() { xdotool windowfocus "$window" 2>/dev/null; sleep 0.3; xdotool type --delay 20 -- "$1"; xdotool key Return; }

step "File, Connect"
connected() { grep -q "arena entry" "$work/zone.log"; }
for attempt in 1 2 3; do
    key alt+f c
    wait_for 20 connected && break
done
connected || fail "the client did not enter the arena"

step "one chat line out"
sent() { grep -q "chat kind 2 to 0: 'hello from wine'" "$work/zone.log"; }
for attempt in 1 2 3; do
    type_line "hello from wine"
    wait_for 10 sent && break
done
sent || fail "the zone heard no chat line"

step "the map into Maps\\"
wait_for 30 test -s "$program/Maps/demo.lvl" || fail "no Maps/demo.lvl"

step "?logbuffer: what the window shows, a player's greeting on entry among it"
logged() { grep -q "WineTester> hello from wine" "$program/Logs/$1" 2>/dev/null; }
for attempt in 1 2 3; do
    name=smoke$attempt.log
    type_line "?logbuffer $name"
    wait_for 10 logged "$name" && grep -q -E "Alice> hi there" "$program/Logs/$name" && break
done
grep -q -E "Alice> hi there" "$program/Logs/$name" 2>/dev/null ||
    fail "no chat line came in: $(cat "$program/Logs/$name" 2>/dev/null)"
[ -n "$screenshot" ] && import -window root "$screenshot"

step "Alt+X"
key alt+x
wait_for 30 bash -c "! kill -0 $client_pid 2>/dev/null" || fail "quillon.exe did not exit"
wait "$client_pid" || fail "quillon.exe exited with an error"
client_pid=""
kill "$sim_pid" 2>/dev/null
wineserver -k 2>/dev/null
echo "--- the session, as ?logbuffer saved it"
tr -d '\r' <"$program/Logs/$name"
echo "--- files"
(cd "$program" && find . -type f | sort)
echo "PASS"
