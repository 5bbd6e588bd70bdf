#!/bin/sh
# Installs the build ("install") or makes its Debian package and unpacks it ("package") into a
# scratch folder, then checks that every file is where the desktop, the icon theme and AppStream
# look for it, and validates the desktop entry and the AppStream metadata. Exits 77 (skipped)
# when a validator is not installed, after every other check has passed.
# Usage: installed_layout.sh install|package BUILD_DIR SCRATCH_DIR
set -eu
mode=$1 build=$2 scratch=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
case $mode in
  install)
    cmake --install "$build" --prefix "$scratch/root/usr" >"$scratch/log" 2>&1 ||
      { cat "$scratch/log"; fail "cmake --install"; }
    ;;
  package)
    (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out") \
      >"$scratch/log" 2>&1 || { cat "$scratch/log"; fail "cpack"; }
    version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
    deb="$scratch/out/mirelko_${version}_$(dpkg --print-architecture).deb"
    [ -f "$deb" ] || fail "no $deb; made: $(ls "$scratch/out")"
    dpkg-deb -x "$deb" "$scratch/root"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for library in libc6 libqt6widgets6; do
      case $depends in *"$library "*) ;; *) fail "Depends does not name $library" ;; esac
    done
    # The metrics timer is the site's to enable: no scripts that would, no links in /etc.
    dpkg-deb -c "$deb" | grep -q ' \./etc/' && fail "the package ships /etc: $(dpkg-deb -c "$deb")"
    for script in preinst postinst prerm postrm; do
      ! dpkg-deb -I "$deb" "$script" >/dev/null 2>&1 || fail "the package has a $script"
    done
    ;;
  *) fail "mode $mode" ;;
esac
usr=$scratch/root/usr

set -- "$usr"/share/applications/*.desktop
[ $# -eq 1 ] && [ -f "$1" ] || fail "not one desktop entry: $*"
desktop=$1
id=$(basename "$desktop" .desktop)
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$usr/bin/$program" ] || fail "Exec=$program is not in $usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon" = "$id" ] || fail "Icon=$icon is not the application id $id"
for size in 16 32 48; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "no $png"
  # PNG signature, then the IHDR chunk with width and height as 32-bit big-endian numbers.
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  expected=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")
  [ "$header" = "$expected" ] || fail "$png is not a ${size}x${size} PNG"
done
metainfo=$usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the AppStream metadata does not launch $id.desktop"

"$usr/bin/mirelko-check" --version | grep -q '^mirelko-check ' || fail "mirelko-check does not run"
for unit in mirelko-metrics.service mirelko-metrics.timer; do
  [ -f "$usr/lib/systemd/system/$unit" ] || fail "no $usr/lib/systemd/system/$unit"
done
for file in mirelko.rules.yml alertmanager.example.yml mirelko-check.icinga2.conf \
  mirelko-check.nagios.cfg; do
  [ -s "$usr/share/mirelko/monitoring/$file" ] || fail "no $usr/share/mirelko/monitoring/$file"
done
for demo in didozur box-simulator mirelko-demo-boxes; do
  [ ! -e "$usr/bin/$demo" ] || fail "the demo's $demo is installed"
done

missing=""
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  missing="$missing desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
else
  missing="$missing appstreamcli"
fi
if [ -n "$missing" ]; then
  echo "Skipped, not installed:$missing (./build.sh installs them)"
  exit 77
fi
echo "Every file is in place and valid."
