#!/bin/sh
# Runs a Windows program of the build under Wine, quietly, in a Wine prefix of its own:
#   wine-run.sh wine|wine64 program.exe [arguments]
loader=$1
shift
if [ "$loader" = wine64 ] && [ -x /usr/lib/wine/wine64 ]; then
    loader=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
# No offer to install the .NET and HTML engines when the prefix is first made: nobody would answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/mirelko-wine}"
exec "$loader" "$@"
