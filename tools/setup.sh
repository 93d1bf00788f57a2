#!/usr/bin/env bash
# Sets up a Debian 12 machine for Moonharbor and either runs the sample game
# (`run`) or builds and runs every test, plainly and under the sanitizers (`test`).
# `sample [folder]` only writes the sample game with the writer already built
# (the folder from where it is called; default: sample/ of the checkout).
# MH_BUILD_DIR names the build folder inside the checkout (default: build).
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
build_dir=${MH_BUILD_DIR:-build}

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-arphic-uming libfluidsynth-dev timgm6mb-soundfont
  libmpg123-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  liblzo2-dev xvfb xauth x11-utils)
# Only the tests need these: an independent XMIDI reader, the window test's
# keys, pointer and screenshots, the coverage summary (tools/coverage.sh) and
# the format check.
test_packages=(xdotool x11-apps imagemagick gcovr clang-format)

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

# The game a player runs and the plain test build are optimised as a release
# is (the same folder, so neither builds it anew for the other); the sanitizer
# build keeps its debug information for the reports.
configure() {  # build folder, build type, extra cmake options...
  local dir=$1 type=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
}

build() {  # build folder, build type, extra cmake options...
  configure "$@"
  cmake --build "$1" -j"$(nproc)"
}

# Writes the sample game into a folder. Written again over an earlier one, it
# renews the game's data and keeps what the player made there: Save/ (saves
# and options), ScrnShot/ and Env.dat.
write_sample() {  # folder
  "$build_dir/mhgen" "$1"
}

jobs=$(nproc)
case "${1:-}" in
  run)
    install_missing
    # Only the game and the sample writer: the tests, tools and benchmarks wait.
    configure "$build_dir" Release -DMH_BENCH=OFF -DMH_FUZZ=OFF
    cmake --build "$build_dir" -j"$jobs" --target moonharbor mhgen
    write_sample sample
    game=$(realpath "$build_dir/moonharbor")
    cd sample && exec "$game"
    ;;
  sample)
    if [ -n "${2:-}" ]; then write_sample "$(cd "$here" && realpath -m "$2")"; else write_sample sample; fi
    ;;
  test)
    packages+=("${test_packages[@]}")
    install_missing
    # Both builds fail on any compiler warning.
    build "$build_dir" Release -DMH_WERROR=ON
    (cd "$build_dir" && ctest -j"$jobs" --output-on-failure --timeout 300)
    build build-asan RelWithDebInfo -DMH_SANITIZE=ON -DMH_BENCH=OFF -DMH_WERROR=ON
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
      ctest -j"$jobs" --output-on-failure --timeout 600)
    ;;
  *)
    echo "usage: $0 run|test|sample [folder]" >&2
    exit 2
    ;;
esac
