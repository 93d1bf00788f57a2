#!/usr/bin/env bash
# Sets up a Debian 12 machine for Moonharbor and either runs the sample game
# (`run`) or builds and runs every test, plainly and under the sanitizers (`test`).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-arphic-uming libfluidsynth-dev timgm6mb-soundfont
  libmpg123-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  liblzo2-dev libwildmidi-dev xvfb xauth x11-utils)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

# The window test drives the game under Xvfb and reads its screenshots.
packages+=(xdotool x11-apps imagemagick)

build() {  # build folder, extra cmake options...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

jobs=$(nproc)
case "${1:-}" in
  run)
    install_missing
    build build -DMH_BENCH=OFF -DMH_FUZZ=OFF
    rm -rf sample
    build/mhgen sample
    cd sample && exec ../build/moonharbor
    ;;
  test)
    install_missing
    build build
    (cd build && ctest -j"$jobs" --output-on-failure --timeout 300)
    build build-asan -DMH_SANITIZE=ON -DMH_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
      ctest -j"$jobs" --output-on-failure --timeout 600)
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
