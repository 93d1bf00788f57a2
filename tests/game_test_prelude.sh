# Shared by the tests that run the real game under virtual X servers, sourced
# with their arguments (the game, then the generator of the sample root).
game=$(realpath "$1")
gen=$(realpath "$2")
self=$(realpath "$0")
fail() { echo "$*"; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
# Runs a command every tenth of a second until it succeeds, at most $1 times.
within() {
  local n=$1
  shift
  for i in $(seq 1 "$n"); do "$@" && return 0; sleep 0.1; done
  return 1
}
# A generated game in $root/game, all of $root removed at exit. The leak checker
# stops every thread of the real windowed program at exit and can itself crash
# on the display and audio threads; leaks are checked by the unit tests.
make_root() {
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  "$gen" "$root/game" > /dev/null
  export SDL_AUDIODRIVER=dummy
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}
