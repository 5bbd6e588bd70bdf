#!/bin/sh
# A standard user's save into the Windows directory of a Wine prefix of that user's own, which
# takes no new file from the user: with the right to write rurizuz.ini the save goes in place and
# adds nothing to the directory; without it, it is refused at once and says why. Root passes
# every permission check, so the user is nobody; an ordinary user cannot make a file that it may
# not write but Wine does not show as read-only, and skips.
#   standard_user.sh WINE-RUN LOADER SAVE_LOOP.exe SCRATCH
set -eu
run=$1 loader=$2 saver=$3 scratch=$4
[ "$(id -u)" -eq 0 ] || { echo "needs root, to save as nobody"; exit 77; }
rm -rf "$scratch"
mkdir -p "$scratch"
chown 65534:65534 "$scratch"
unset MIRELKO_PROFILE_DIR
as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$scratch" WINEPREFIX="$scratch/prefix" "$run" "$loader" "$@"
}
as_nobody wineboot -i >"$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log"; exit 1; }
windows=$scratch/prefix/drive_c/windows
file=$windows/rurizuz.ini
before='[zivazoz]\r\nBox1=1\r\n'
fail() { echo "$*"; exit 1; }

# The grant on the one file: the save goes through, in place.
printf "$before" >"$file"
chown 65534:65534 "$file"
chmod 644 "$file"
chmod 555 "$windows"
ls -a "$windows" >"$scratch/entries.before"
out=$(as_nobody "$saver" 3 once) || fail "the save with the right to write the file failed: $out"
ls -a "$windows" >"$scratch/entries.after"
cmp -s "$scratch/entries.before" "$scratch/entries.after" ||
    fail "the save added to the Windows directory: $(diff "$scratch/entries.before" "$scratch/entries.after")"
grep -q 'LocBox1=Halle 1' "$file" || fail "the saved table is not in the file"
[ "$(stat -c %U "$file")" = nobody ] || fail "the file changed hands"

# No right to write the file: refused at once, naming the permission, the file as it was.
printf "$before" >"$file"
chown 0:0 "$file"
out=$(as_nobody "$saver" 3 once) && fail "a save without the right to write the file went through"
echo "$out"
ms=$(echo "$out" | sed -n 's/^refused after \([0-9]*\) ms: no permission to write the file.*/\1/p')
[ -n "$ms" ] || fail "the refusal does not name the permission"
[ "$ms" -lt 500 ] || fail "the refusal took $ms ms"
[ "$(cat "$file")" = "$(printf "$before")" ] || fail "the refused save changed the file"
chmod 755 "$windows"
echo "saved in place with the grant; refused in $ms ms without it"
