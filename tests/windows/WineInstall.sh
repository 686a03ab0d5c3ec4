#!/usr/bin/env bash
# The installer under Wine, in a fresh prefix: a silent install; the program, its
# Start menu entry and its "Apps & features" entry in place; the installed
# quillon.exe through a session with its folder made read-only, its files kept in
# %APPDATA%\Quillon; a silent uninstall that takes the program away and leaves
# the user's files. Needs an X display (run it under xvfb-run) and xdotool.
#
#   WineInstall.sh SETUP_EXE ZONE_SIM_EXE WORK_FOLDER [SCREENSHOT]
set -uo pipefail
setup_exe=$1 sim_exe=$2 work=$3 screenshot=${4:-}
export WINEPREFIX=$work/wineprefix
. "$(dirname "${BASH_SOURCE[0]}")/WineSession.sh"

rm -rf "$WINEPREFIX"
make_prefix
local_data=$(windows_folder LOCALAPPDATA)
app_data=$(windows_folder APPDATA)
[ -d "$local_data" ] && [ -d "$app_data" ] || fail "no LOCALAPPDATA or APPDATA in the prefix"
install=$local_data/Programs/Quillon
start_menu=$app_data/Microsoft/Windows/Start\ Menu/Programs
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'

step "silent install"
wine "$setup_exe" /S || fail "the installer failed"
wineserver -w
for file in quillon.exe quillon-zone-sim.exe README.txt LICENCE-wxWidgets.txt LICENCE-zlib.txt uninstall.exe; do
    [ -s "$install/$file" ] || fail "not installed: $install/$file"
done
[ -s "$start_menu/Quillon.lnk" ] || fail "no Start menu entry in $start_menu"
entry=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
echo "$entry"
for value in DisplayName DisplayVersion Publisher DisplayIcon UninstallString EstimatedSize; do
    grep -q "$value" <<<"$entry" || fail "the Apps & features entry has no $value"
done
echo "--- installed: $(du -sk "$install" | cut -f1) KiB"

step "the installed program, its folder read-only"
chmod -R a-w "$install"
run_session "$install" "$app_data/Quillon" "$screenshot"
[ -z "$(find "$install" -newer "$install/uninstall.exe" -type f)" ] || fail "files written into $install"
chmod -R u+w "$install"

step "silent uninstall"
wine "$install/uninstall.exe" /S || fail "the uninstaller failed"
wineserver -w
[ ! -e "$install" ] || fail "the install folder is still there: $(find "$install")"
[ ! -e "$start_menu/Quillon.lnk" ] || fail "the Start menu entry is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the Apps & features entry is still there"
[ -s "$app_data/Quillon/Maps/demo.lvl" ] || fail "the uninstaller took the user's maps"
wine reg query 'HKCU\Software\Quillon\User' >/dev/null 2>&1 || fail "the uninstaller took the user's settings"
echo "PASS"
