#!/bin/sh
# The installer package's tables, read with msiinfo: 32-bit and per machine for Windows Installer
# 3.01, the version under the fixed upgrade code, no profile file, the program inside the one built.
#   msi_tables.sh PACKAGE.msi VERSION PROGRAM.exe
msi=$1 version=$2 exe=$3 bad=0
fail() { echo "$*"; bad=1; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
msiinfo suminfo "$msi" >"$work/summary" && msiinfo export "$msi" Property | tr -d '\r' >"$work/properties" || exit 1
# The word count (msiinfo's "Source"): compressed (2), and without 8, which needs no elevation.
for line in 'Template: Intel;1033' 'Version: 301 (12d)' 'Source: 2 (2)'; do
    grep -qxF "$line" "$work/summary" || fail "the summary lacks $line"
done
for pair in "ALLUSERS	1" "ProductVersion	$version" "ARPNOMODIFY	1" "ARPPRODUCTICON	mirelko.ico" \
    "UpgradeCode	{7734EB01-D115-403B-BA24-CD736AF78EBC}" "Manufacturer	Mirelko panel developers"; do
    grep -qxF "$pair" "$work/properties" || fail "no property: $pair"
done
files=$(msiinfo export "$msi" File | awk -F'\t' 'NR > 3 { print $3 }' | sort | tr '\n' ' ')
[ "$files" = "README.txt mirelko.exe " ] || fail "the package installs: $files"
msiinfo tables "$msi" | grep -i 'ini' && fail "the package has tables for profile files"
msiinfo export "$msi" RemoveFile | grep -i '\.ini' && fail "the package removes profile files"
msiextract -C "$work/files" "$msi" >/dev/null && cmp "$(find "$work/files" -name mirelko.exe)" "$exe" ||
    fail "the package's mirelko.exe is not the one built"
[ $bad -eq 0 ] && echo "$msi: x86, per machine, installer 301, version $version, no profile file"
exit $bad
