#!/bin/sh
# The backend's tests of the panel's proportions on a screen of 144 dots per inch (150 percent),
# in a Wine prefix of its own whose LogPixels says so: the lamps grow with the dialogs' font.
#   high_dpi.sh WINE-RUN LOADER BACKEND_TEST.exe SCRATCH
set -eu
run=$1 loader=$2 tests=$3 scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch"
export WINEPREFIX="$scratch/prefix"
"$run" "$loader" wineboot -i >"$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log"; exit 1; }
"$run" "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
    >"$scratch/reg.log" 2>&1 || { cat "$scratch/reg.log"; exit 1; }
# Wine reads the resolution when its server starts.
wineserver -k || true
"$run" "$loader" "$tests" \
    --gtest_filter='Backend.TheLamps*:Backend.ThePanelHasItsTemplateSize*:Backend.OneLineLabels*'
