#!/usr/bin/env bash
# The portable quillon.exe under Wine: a copy in a folder of its own, which keeps
# its files beside it. Needs an X display (run it under xvfb-run) and xdotool.
#
#   WineSmoke.sh QUILLON_EXE ZONE_SIM_EXE WORK_FOLDER [SCREENSHOT]
set -uo pipefail
quillon_exe=$1 sim_exe=$2 work=$3 screenshot=${4:-}
export WINEPREFIX=$work/wineprefix
. "$(dirname "${BASH_SOURCE[0]}")/WineSession.sh"

make_prefix
program=$work/program
rm -rf "$program" && mkdir -p "$program" && cp "$quillon_exe" "$program/quillon.exe"
run_session "$program" "$program" "$screenshot"
echo "PASS"
