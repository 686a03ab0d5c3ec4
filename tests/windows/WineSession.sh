# A session of quillon.exe under Wine against quillon-zone-sim.exe on loopback,
# driven as a user would: File, Connect; a chat line out; ?logbuffer to see what
# came in; the map downloaded into Maps\; Alt+X, and a clean exit. Sourced by the
# smoke tests of the zip and of the installer; needs an X display and xdotool.
#
# Before sourcing: work (the test's folder) and WINEPREFIX.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"

sim_pid="" client_pid=""
fail() {
    echo "FAIL: $*"
    if [ -f "$work/zone.log" ]; then echo "--- zone log"; grep -v '^zone packet' "$work/zone.log" | tail -20; fi
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

make_prefix() {
    mkdir -p "$work"
    if [ ! -d "$WINEPREFIX/drive_c" ]; then
        step "creating the Wine prefix"
        wine wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
    fi
    wineserver -w
}

# A Windows folder of the prefix (APPDATA, LOCALAPPDATA) as a Unix path.
windows_folder() {
    local value
    value=$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')
    winepath -u "$value" 2>/dev/null | sed 's#/$##'
}

# run_session PROGRAM_FOLDER FILES_FOLDER [SCREENSHOT]
# Runs PROGRAM_FOLDER/quillon.exe; its Maps and Logs are expected in FILES_FOLDER.
run_session() {
    local program=$1 files=$2 screenshot=${3:-}
    local port=$((20000 + RANDOM % 20000))
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

    step "starting $program/quillon.exe"
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

    step "the map into $files/Maps"
    wait_for 30 test -s "$files/Maps/demo.lvl" || fail "no Maps/demo.lvl in $files"

    step "?logbuffer: what the window shows, a player's greeting on entry among it"
    logged() { grep -q "WineTester> hello from wine" "$files/Logs/$1" 2>/dev/null; }
    local name
    for attempt in 1 2 3; do
        name=smoke$attempt.log
        type_line "?logbuffer $name"
        wait_for 10 logged "$name" && grep -q -E "Alice> hi there" "$files/Logs/$name" && break
    done
    grep -q -E "Alice> hi there" "$files/Logs/$name" 2>/dev/null ||
        fail "no chat line came in: $(cat "$files/Logs/$name" 2>/dev/null)"
    [ -n "$screenshot" ] && import -window root "$screenshot"

    step "Alt+X"
    key alt+x
    wait_for 30 bash -c "! kill -0 $client_pid 2>/dev/null" || fail "quillon.exe did not exit"
    wait "$client_pid" || fail "quillon.exe exited with an error"
    client_pid=""
    kill "$sim_pid" 2>/dev/null
    sim_pid=""
    wineserver -k 2>/dev/null
    echo "--- the session, as ?logbuffer saved it"
    tr -d '\r' <"$files/Logs/$name"
    echo "--- files in $files"
    (cd "$files" && find . -type f | sort)
}
