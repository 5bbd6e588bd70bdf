#!/bin/bash
# The installer package under Wine in a fresh prefix, as an administrator uses it: silent installs
# of an older version and of this one over it, the installed program opening, a refused
# downgrade, a rebuild of the same version, an uninstall that leaves nothing; the profile files in
# the Windows directory stay byte for byte as they were throughout.
#   msi_round_trip.sh PACKAGE.msi PROGRAM_TEST.exe CMAKE MSI.cmake -DNAME=VALUE...
msi=$1 program_test=$2 cmake=$3 msi_cmake=$4 && shift 4 && defines=("$@")
work=$(mktemp -d "${msi%/*}/msi-round-trip.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Where 32-bit Wine cannot run, a 64-bit prefix takes the 32-bit package all the same.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine=/usr/lib/wine/wine programs="Program Files" && export WINEARCH=win32
elif /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    wine=/usr/lib/wine/wine64 programs="Program Files (x86)" && export WINEARCH=win64
else
    echo "Wine cannot run here" && exit 77
fi
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
bad=0
fail() { echo "FAIL: $*" && bad=1; }
version=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" { print $2 }')
for other in 0.0.1 "$version"; do # the older package and a rebuild of this one
    "$cmake" "${defines[@]}" -DVERSION=$other -DOUTPUT="$work/$other.msi" -P "$msi_cmake" || exit 1
done
# msiexec ACTION PACKAGE EXPECTED...: Wine hands on the low byte of the exit code.
msiexec() {
    "$wine" msiexec "$1" "Z:${2//\//\\}" /qn /l*v "Z:${work//\//\\}\\msiexec.log"
    local got=$? && for code in "${@:3}"; do [ $got -eq $((code % 256)) ] && return; done
    fail "msiexec $1 ${2##*/} ended with $got, not ${*:3} (mod 256)"
}
reg() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
# Programs and Features lists a 32-bit package in the 32-bit view of the registry.
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' products='HKLM\Software\Classes\Installer\Products'
drive_c=$WINEPREFIX/drive_c && dir="$drive_c/$programs/Mirelko"

"$wine" wineboot -i >/dev/null 2>&1
for name in rurizuz zivazoz; do
    printf '[zivazoz]\r\nBox1=1\r\nLocBox1=K\374che %s\r\n' $name | tee "$work/$name.ini" >"$drive_c/windows/$name.ini"
done
check() { # STEP [VERSION]: installed at VERSION, or removed without one
    for name in rurizuz zivazoz; do
        cmp -s "$work/$name.ini" "$drive_c/windows/$name.ini" || fail "$1 changed $name.ini"
    done
    local link entries icon
    link=$(find "$drive_c" -name 'Mirelko panel.lnk') entries=$(reg "$arp" /reg:32 /s)
    icon=$(reg "$products" /s | sed -n 's/^    ProductIcon    REG_SZ    C:\\//p')
    if [ -z "$2" ]; then
        [ ! -e "$dir" ] && [ -z "$link$icon" ] && ! grep -q 'Mirelko panel' <<<"$entries" || fail "$1 left something"
        return
    fi
    cmp -s "$dir/mirelko.exe" "${msi%/*}/mirelko.exe" && [ -f "$dir/README.txt" ] || fail "$1: not the files in $dir"
    [ "$(lnkinfo "$link" 2>/dev/null | sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p')" = \
        "C:\\$programs\\Mirelko\\mirelko.exe" ] || fail "$1: no Start-menu shortcut to the program: $link"
    [ "$(grep -c '^    DisplayName    REG_SZ    Mirelko panel$' <<<"$entries")" -eq 1 ] ||
        fail "$1: not one Mirelko panel in Programs and Features"
    for value in "DisplayVersion    REG_SZ    $2" "Publisher    REG_SZ    Mirelko panel developers" \
        "NoModify    REG_DWORD    0x1"; do
        grep -qF "    $value" <<<"$entries" || fail "$1: the entry lacks $value"
    done
    [ -f "$drive_c/${icon//\\//}" ] || fail "$1: no product icon ($icon)"
}

msiexec /i "$work/0.0.1.msi" 0 && check "the install" 0.0.1
msiexec /i "$msi" 0 && check "the upgrade" "$version"
if [ $WINEARCH = win32 ]; then
    MIRELKO_INSTALLED_PROGRAM="C:\\$programs\\Mirelko\\mirelko.exe" "$wine" "$program_test" \
        --gtest_filter=Program.EscEndsWithoutSaving >"$work/opens" 2>&1
    grep -q '\[  PASSED  \] 1 test' "$work/opens" || fail "the installed program did not open: $(cat "$work/opens")"
else
    echo "32-bit Wine cannot run here: the installed program is not started"
fi
msiexec /i "$work/0.0.1.msi" 1603 && check "the refused downgrade" "$version"
# Windows refuses a rebuild of the installed version (1638); Wine reinstalls the same product.
msiexec /i "$work/$version.msi" 0 1638 && check "the rebuild" "$version"
msiexec /x "$msi" 0 && check "the uninstall"
[ $bad -eq 0 ] && echo "$WINEARCH prefix: installed 0.0.1, upgraded to $version, refused the downgrade, removed"
exit $bad
