#!/bin/sh
# What a Windows user receives beside the package: the program's version resource and manifest,
# the zip (the program and README.txt with CRLF line ends), and SHA256SUMS over all three files.
#   release_files.sh WINDRES RELEASE_DIR VERSION PROGRAM.exe
windres=$1 dir=$2 version=$3 exe=$4 bad=0
fail() { echo "$*"; bad=1; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
"$windres" -J coff -i "$exe" -O rc -o "$work/rc" || exit 1
numbers=$(echo "$version" | sed 's/\./, /g')
for line in "FILEVERSION $numbers, 0" "PRODUCTVERSION $numbers, 0" "\"FileVersion\", \"$version\"" \
    "\"ProductVersion\", \"$version\"" '"FileDescription", "Mirelko panel"' \
    '"ProductName", "Mirelko panel"' '"CompanyName", "Mirelko panel developers"' \
    '"OriginalFilename", "mirelko.exe"' '"LegalCopyright", "Copyright ' "version=\"\"$version.0\"\"/>"; do
    grep -qF -- "$line" "$work/rc" || fail "the program's resources lack $line"
done
# asInvoker, so that Windows never redirects a save to a private copy; in asm.v3, declared once,
# as Windows XP's loader refuses it in asm.v1 and XP SP2 fails on a namespace declared twice.
grep -qF 'requestedExecutionLevel level=""asInvoker""' "$work/rc" ||
    fail "the manifest asks for no execution level asInvoker"
grep -qF '<asmv3:trustInfo>' "$work/rc" || fail "the manifest's trustInfo is not in asm.v3"
[ "$(grep -o 'urn:schemas-microsoft-com:asm.v3' "$work/rc" | wc -l)" -eq 1 ] ||
    fail "the manifest declares asm.v3 other than once"

zip=$dir/mirelko-$version-win32.zip
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "README.txt mirelko.exe " ] || fail "$zip holds other files"
unzip -p "$zip" mirelko.exe | cmp -s - "$exe" || fail "the zip's mirelko.exe is not the one built"
unzip -p "$zip" README.txt >"$work/readme"
lines=$(wc -l <"$work/readme") crlf=$(grep -c "$(printf '\r')\$" "$work/readme")
[ "$lines" -gt 10 ] && [ "$crlf" -eq "$lines" ] || fail "README.txt: $crlf of $lines lines end in CRLF"
head -n 1 "$work/readme" | grep -qF "Mirelko panel $version" || fail "README.txt names no version"

[ "$(awk '{ print $2 }' "$dir/SHA256SUMS" | sort | tr '\n' ' ')" = \
    "mirelko-$version-win32.zip mirelko-$version.msi mirelko.exe " ] || fail "SHA256SUMS covers other files"
(cd "$dir" && sha256sum --quiet -c SHA256SUMS) && cmp -s "$dir/mirelko.exe" "$exe" ||
    fail "SHA256SUMS does not sum the files built"
[ $bad -eq 0 ] && echo "version $version in the program; the zip and SHA256SUMS hold what was built"
exit $bad
