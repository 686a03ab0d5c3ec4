#!/usr/bin/env bash
# The real quillon executable against the zone simulator, driven as a user drives
# it: File, Connect from the menu, typed lines, ?log, ?away, ?ignore, ?pignore,
# DisConnect, Exit. Checks the files a user would open, the packets the zone
# received, and the colours on screen. Needs an X display (xvfb-run) and xdotool.
#
#   WindowE2E.sh QUILLON ZONE_SIM
set -euo pipefail
quillon="$1"
zonesim="$2"

work="$(mktemp -d)"
sim_pid=""
client_pid=""
holder_pid=""
cleanup() {
    [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null || true
    [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -n "${QUILLON_E2E_KEEP:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -n "${QUILLON_E2E_KEEP:-}" ] && import -window root "$work/fail.png" 2>/dev/null
    echo "--- zone log" >&2
    cat "$work/zone.log" >&2 || true
    exit 1
}

# Polls a condition every 50 ms, up to a timeout in seconds.
wait_for() {
    local timeout="$1"
    shift
    local tries=$((timeout * 20))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}
zone_said() { grep -qF -- "$1" "$work/zone.log"; }
# The client sends its position only once it is in the arena, and Enter does
# nothing before that: a line typed earlier would stay in the input field.
in_arena() { awk '/key exchange/ { n = 0 } /zone packet from .*: 0300/ { n++ } END { exit !(n > 0) }' "$work/zone.log"; }
client_gone() { ! kill -0 "$client_pid" 2>/dev/null; }

# The program folder is the executable's: a private copy keeps its files apart.
mkdir -p "$work/program" "$work/home"
cp "$quillon" "$work/program/quillon"

# A free port: the simulator exits at once when it cannot listen.
for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    "$zonesim" "$port" >"$work/zone.log" 2>&1 &
    sim_pid=$!
    if wait_for 5 zone_said "listening on"; then
        break
    fi
    sim_pid=""
done
[ -n "$sim_pid" ] || fail "the simulator found no free port"

cat >"$work/home/.Quillon" <<SETTINGS
[User]
Name=Tester
Password=secret
[Server]
IP=127.0.0.1
Port=$port
SETTINGS

cp "$work/home/.Quillon" "$work/settings.before"

# The X server resets when its last client leaves, and a program started during
# the reset cannot open the display: hold one connection open throughout.
xdotool search --sync --name "^no window is called this$" >/dev/null 2>&1 &
holder_pid=$!
export NO_AT_BRIDGE=1
(cd "$work" && HOME="$work/home" exec "$work/program/quillon") >"$work/client.out" 2>&1 &
client_pid=$!

window=""
find_window() { window="$(xdotool search --onlyvisible --pid "$client_pid" 2>/dev/null | head -n 1)" && [ -n "$window" ]; }
wait_for 20 find_window || fail "no window"
focus() { xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"; }
key() { focus; xdotool key --delay 30 "$@"; }
type_line() { focus; xdotool type --delay 5 -- "$1"; xdotool key Return; }

# The settings dialog opens with F5 and closes with its Cancel button or Escape, changing nothing.
window_count() { xdotool search --onlyvisible --pid "$client_pid" 2>/dev/null | wc -l; }
dialog_open() { [ "$(window_count)" -ge 2 ]; }
dialog_closed() { [ "$(window_count)" -eq 1 ]; }
# On a busy machine the dialog may be on screen before it takes input: retry.
dialog_window() { xdotool search --onlyvisible --pid "$client_pid" | grep -vx "$window" | head -n 1; }
# Cancel is the second of the buttons along the bottom edge.
click_cancel() {
    local dialog height
    dialog=$(dialog_window)
    height=$(xdotool getwindowgeometry --shell "$dialog" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$dialog" 150 $((height - 30)) click 1
}
press_escape() { xdotool windowfocus --sync "$(dialog_window)" && xdotool key Escape; }
close_dialog_by() {
    for attempt in 1 2 3 4 5; do
        "$1" >/dev/null 2>&1 || true
        wait_for 3 dialog_closed && return 0
    done
    return 1
}
key F5
wait_for 10 dialog_open || fail "F5 opened no settings dialog"
close_dialog_by click_cancel || fail "Cancel did not close the settings dialog"
key F5
wait_for 10 dialog_open || fail "F5 opened no settings dialog the second time"
close_dialog_by press_escape || fail "Escape did not close the settings dialog"

# File, Connect by the menu's mnemonics.
key alt+f
sleep 0.3
key c
wait_for 20 zone_said "arena entry" || fail "no arena entry after File, Connect"
wait_for 20 zone_said "map 'demo.lvl' requested" || fail "the map was not asked for"
wait_for 20 test -s "$work/program/Maps/demo.lvl" || fail "no map file under Maps"
map_sum="$(md5sum <"$work/program/Maps/demo.lvl")"
[ "${map_sum%% *}" = "5dc372cae36824682055a53e714cfc97" ] || fail "Maps/demo.lvl is not the zone's map"
wait_for 20 in_arena || fail "no position packet after the arena entry"

type_line "?log"
wait_for 10 test -s "$work/program/Logs/session.log" || fail "?log wrote no Logs/session.log"
type_line "hello everyone"
type_line "'team line"
type_line ";2;channel line"
type_line "?away gone fishing"
type_line "?ignore Bob"
type_line "?pignore Carol"
type_line "?arena"
type_line "?go duel"
wait_for 10 zone_said "arena entry: arena 'duel'" || fail "?go duel did not enter arena duel"
logged() { grep -qF -- "$1" "$work/program/Logs/session.log"; }
wait_for 10 logged "Alice> hi there" || fail "no greeting in arena duel"
wait_for 10 zone_said "chat kind 9 to 0: ';2;channel line'" || fail "the channel line did not arrive"
zone_said "login from 'Tester'" || fail "no login as Tester"
zone_said "chat kind 2 to 0: 'hello everyone'" || fail "the public line did not arrive"
zone_said "chat kind 3 to 0: 'team line'" || fail "the team line did not arrive"
if zone_said "chat kind 2 to 0: '?away"; then fail "?away went to the zone"; fi
wait_for 10 test -s "$work/program/Ignore.txt" || fail "no Ignore.txt"
[ "$(cat "$work/program/Ignore.txt")" = $'Carol\r' ] || fail "Ignore.txt holds: $(od -c "$work/program/Ignore.txt")"

# The echoes in their colours: yellow for team, orange for channel; the output
# area (upper left of the window) holds them, the input line lies below it.
count_colour() {
    convert "$work/shot.png" -crop 70%x75%+0+0 +repage -fill black +opaque "$1" -fill white -opaque "$1" \
        -format "%[fx:round(mean*w*h)]" info:
}
shot_has_colours() {
    import -window "$window" "$work/shot.png" &&
        [ "$(count_colour 'rgb(255,255,0)')" -gt 20 ] && [ "$(count_colour 'rgb(255,128,0)')" -gt 20 ]
}
wait_for 10 shot_has_colours || fail "no yellow and orange lines on screen (yellow $(count_colour 'rgb(255,255,0)'), orange $(count_colour 'rgb(255,128,0)'))"

# A second start on the same settings opens no second main window: it says so and ends.
(cd "$work" && HOME="$work/home" exec "$work/program/quillon") >"$work/second.out" 2>&1 &
second_pid=$!
second_window=""
find_second() { second_window="$(xdotool search --onlyvisible --pid "$second_pid" 2>/dev/null | head -n 1)" && [ -n "$second_window" ]; }
wait_for 20 find_second || fail "the second start showed nothing"
grep -q "Quillon is already running with these settings" "$work/second.out" || fail "the second start said: $(cat "$work/second.out")"
second_gone() { ! kill -0 "$second_pid" 2>/dev/null; }
for attempt in 1 2 3 4 5; do
    xdotool windowfocus --sync "$second_window" 2>/dev/null && xdotool key Return
    wait_for 3 second_gone && break
done
second_gone || { kill "$second_pid"; fail "the second start did not end"; }
kill -0 "$client_pid" || fail "the first window went with the second start"

# File, DisConnect; then Exit with its accelerator.
key alt+f
sleep 0.3
key d
wait_for 10 zone_said "disconnected" || fail "no disconnect after File, DisConnect"
key alt+x
wait_for 10 client_gone || fail "the window did not close on Exit"
wait "$client_pid" || fail "quillon exited with an error"
client_pid=""

# The log holds exactly what was shown from ?log on, ending at the disconnect.
expected="Opened Logfile: session.log
              Tester> hello everyone
              Tester> team line
2:Tester> channel line
Away Message Activated.
Ignoring: Bob
Perm Ignoring: Carol
              Tester> ?arena
Arenas: Public 0 (*) (4), Public 1 (2), duel (2), league (7)
Moving to arena 'duel'.
Local Map File found, Checksums Match, Loading...
Welcome to the Quillon zone simulator.
               Alice> hi there
Disconnecting..."
printf '%s\n' "$expected" | sed 's/$/\r/' >"$work/expected.log"
cmp -s "$work/expected.log" "$work/program/Logs/session.log" || fail "the log reads:
$(cat -A "$work/program/Logs/session.log")"

# Started again, the program still ignores Carol for good (F11 shows both lists).
(cd "$work" && HOME="$work/home" exec "$work/program/quillon") >>"$work/client.out" 2>&1 &
client_pid=$!
wait_for 20 find_window || fail "no window at the second start"
entered_again() { [ "$(grep -c "arena entry" "$work/zone.log")" -ge 3 ]; }
key alt+f
sleep 0.3
key c
wait_for 20 entered_again || fail "no arena entry after the second Connect"
wait_for 20 in_arena || fail "no position packet after the second arena entry"
type_line "?log again.log"
wait_for 10 test -s "$work/program/Logs/again.log" || fail "?log again.log wrote nothing"
key F11
wait_for 10 grep -q "Temporary Ignore List:" "$work/program/Logs/again.log" || fail "F11 showed no ignore lists"
key alt+x
wait_for 10 client_gone || fail "the window did not close on Exit"
wait "$client_pid" || fail "quillon exited with an error"
client_pid=""
printf '%s\n' "Opened Logfile: again.log" "Perminent Ignore List:" " - Carol" "Temporary Ignore List:" |
    sed 's/$/\r/' >"$work/expected.log"
# The zone may greet the arena between the two key presses; its lines are not ours to check here.
grep -v -a -E '^ *[^ ]+> |^Welcome to the Quillon zone simulator' "$work/program/Logs/again.log" >"$work/again.ours" || true
cmp -s "$work/expected.log" "$work/again.ours" || fail "after a restart the log reads:
$(cat -A "$work/program/Logs/again.log")"

# Cancel in the settings dialog wrote nothing.
cmp -s "$work/settings.before" "$work/home/.Quillon" || fail "the settings changed: $(cat "$work/home/.Quillon")"
echo "PASS"
