#!/usr/bin/env bash
# Sets up a Debian machine for Mirelko panel and builds it.
#   ./build.sh panel   install what is missing, build, open the panel
#   ./build.sh test    install what is missing, check the formatting, build, run every test (also under sanitizers)
#   ./build.sh bench   install what is missing, build optimised, print the benchmark figures
#   ./build.sh windows install what is missing, build mirelko.exe and its packages, test under Wine
#   ./build.sh demo    install what is missing, build, open the panel on simulated boxes
#   ./build.sh package install what is missing, build optimised, make the Debian package
#   ./build.sh fuzz [s] install what is missing, build the fuzz targets, run each s seconds (60)
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev
  fonts-liberation
  xvfb xauth
  metacity fluxbox xdotool x11-utils
  dbus python3 python3-dbusmock libglib2.0-bin
  desktop-file-utils appstream dpkg-dev file lintian
  clang-14 libclang-rt-14-dev clang-format
  prometheus prometheus-node-exporter curl
  prometheus-alertmanager icinga2 nagios4-core
)

# The Windows program: mingw-w64 and GoogleTest's sources to build it, Wine and Xvfb to test it;
# wixl to build its installer package, msitools, lnkinfo and unzip to check that and the zip.
windows_packages=(
  cmake ninja-build googletest file
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth
  wixl msitools liblnk-utils unzip
)

install_missing() {
  [ $# -gt 0 ] || set -- "${packages[@]}"
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  # The tests want the monitoring packages' programs, and start node_exporter themselves; the
  # servers that the packages start (a mail server comes with Nagios) are stopped again, unless
  # they were there before.
  local service new=()
  for service in prometheus prometheus-node-exporter prometheus-alertmanager icinga2 nagios4 exim4; do
    [ -e "/lib/systemd/system/$service.service" ] || [ -e "/etc/init.d/$service" ] || new+=("$service")
  done
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  if [ -d /run/systemd/system ]; then
    for service in "${new[@]}"; do
      [ -e "/lib/systemd/system/$service.service" ] || [ -e "/etc/init.d/$service" ] || continue
      "${sudo[@]}" systemctl disable --now "$service.service" || true
    done
  fi
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

# Runs each fuzz target for $1 seconds from the committed seeds and what earlier runs found;
# further arguments go to each target.
run_fuzz() {
  build fuzz
  local target seeds
  for target in read write status quad; do
    seeds=tests/fuzz/corpus/ini
    [ "$target" = quad ] && seeds=tests/fuzz/corpus/quad
    mkdir -p "build/fuzz/corpus/$target"
    echo "Fuzzing ${target}_fuzz for $1 s"
    if ! "build/fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$1" "${@:2}" -max_len=256 \
      -dict=tests/fuzz/profile.dict -print_final_stats=1 -artifact_prefix="build/fuzz/$target-" \
      "build/fuzz/corpus/$target" "$seeds" >"build/fuzz/$target.log" 2>&1; then
      tail -n 40 "build/fuzz/$target.log" >&2
      echo "${target}_fuzz found a fault; the input is in build/fuzz/$target-*" >&2
      exit 1
    fi
    grep -h 'stat::number_of_executed_units' "build/fuzz/$target.log"
  done
}

need_display() {
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the panel needs a desktop session (or run it under xvfb-run)." >&2
    exit 1
  fi
}

case "${1:-}" in
  panel)
    install_missing
    build default
    need_display
    exec build/default/app/mirelko
    ;;
  test)
    install_missing
    # The sources as clang-format writes them (.clang-format), before anything is built.
    find app analysis bench panel profile res tests toolkit tools \( -name '*.cpp' -o -name '*.h' \) \
      -print0 | xargs -0 clang-format --dry-run -Werror
    build default
    ctest --preset default
    build debug
    ctest --preset debug
    # A fixed seed: the tests' verdict must not depend on the luck of one short run.
    run_fuzz 20 -seed=1
    ;;
  windows)
    install_missing "${windows_packages[@]}"
    # 32-bit Wine, for the 32-bit program's own test run; without it the 64-bit build carries
    # the tests, so a machine that cannot have it still builds and tests.
    if [ "$(dpkg --print-architecture)" = amd64 ]; then
      sudo=()
      [ "$(id -u)" -eq 0 ] || sudo=(sudo)
      dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
      install_missing wine32:i386 || echo "32-bit Wine could not be installed; testing the 64-bit build" >&2
    fi
    build win32
    build win64
    exe=build/win32/app/mirelko.exe
    file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || {
      echo "$exe is not a 32-bit Windows GUI program: $(file -b "$exe")" >&2
      exit 1
    }
    echo "Built $exe: $(file -b "$exe")"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
    for release in "mirelko-$version.msi" "mirelko-$version-win32.zip" SHA256SUMS; do
      [ -s "build/win32/$release" ] || { echo "build/win32/$release was not made" >&2; exit 1; }
      echo "Built build/win32/$release"
    done
    # Wine runs 32-bit programs only where the kernel runs 32-bit code; the 64-bit build of the
    # same sources carries the tests everywhere else.
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
      xvfb-run -a ctest --preset win32
    else
      # That the 32-bit program loads on XP, its version and its packages are read from the
      # files; the installer's round trip runs in a 64-bit prefix.
      xvfb-run -a ctest --preset win32 -L 'files|installer'
    fi
    xvfb-run -a ctest --preset win64
    ;;
  bench)
    install_missing
    build release
    build/release/bench/mirelko_bench "${2:-300}"
    ;;
  demo)
    install_missing
    build default
    need_display
    # A profile directory of its own, kept between runs, with a few boxes and a stand-in for
    # their communication service; the stand-in configuration program comes first on PATH.
    profile_dir=$PWD/build/demo/profile
    tools=$PWD/build/default/tools
    "$tools/mirelko-demo-boxes" "$profile_dir"
    "$tools/box-simulator" --profile-dir "$profile_dir" &
    simulator=$!
    trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null || true' EXIT
    MIRELKO_PROFILE_DIR=$profile_dir PATH="$tools/demo-path:$PATH" build/default/app/mirelko
    ;;
  package)
    install_missing
    build release
    (cd build/release && cpack -G DEB)
    deb=$(ls -t build/release/mirelko_*.deb | head -n 1)
    lintian --fail-on error "$deb"
    echo "Package: $deb"
    ;;
  fuzz)
    install_missing
    run_fuzz "${2:-60}"
    ;;
  *)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
