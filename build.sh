#!/usr/bin/env bash
# Sets up a Debian machine for Mirelko panel and builds it.
#   ./build.sh panel   install what is missing, build, open the panel
#   ./build.sh test    install what is missing, build, run every test (also under sanitizers)
#   ./build.sh bench   install what is missing, build optimised, print the benchmark figures
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev
  fonts-liberation
  xvfb xauth
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

case "${1:-}" in
  panel)
    install_missing
    build default
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "No display found: the panel needs a desktop session (or run it under xvfb-run)." >&2
      exit 1
    fi
    exec build/default/app/mirelko
    ;;
  test)
    install_missing
    build default
    ctest --preset default
    build debug
    ctest --preset debug
    ;;
  bench)
    install_missing
    build release
    build/release/bench/profile_bench
    ;;
  *)
    sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
