#!/usr/bin/env bash
# Starts the real game in a generated root under virtual X servers without a
# window manager and checks what a player meets: the window appears and a second
# copy, or the installer's command line, ends at once and says why; the whole
# picture is on the screen, scaled by whole multiples, on a 1280x1024 and a
# 1024x768 screen; after Alt+Enter the game goes on running; a long error box
# fits the 640-pixel screen, and SIGTERM and SIGINT end the game while it waits;
# with no display at all the start fails with the display's box text on stderr
# and the program ends with status 1.
set -eu
. "$(dirname "$0")/game_test_prelude.sh"

if [ "${3:-}" = --inside ]; then
  mode=$4
  root=$5
  shot() { xwd -root -silent > "$root/shot.xwd"; }
  # "black" or the colour of screen pixel (x, y) of the last shot.
  pixel() { convert "xwd:$root/shot.xwd" -format "%[pixel:p{$1,$2}]" info:; }
  black() { case $(pixel "$1" "$2") in black | "srgb(0,0,0)" | "gray(0)") return 0 ;; esac; return 1; }
  window() { xwininfo -root -tree 2>/dev/null | grep -q '"Moonharbor"'; }
  ended() { ! kill -0 "$pid" 2>/dev/null; }
  # The windows other than the game's (an error box), as " WxH+".
  boxes() { xwininfo -root -tree | grep -v '"Moonharbor"' | grep -oE ' [0-9]+x[0-9]+[+-]'; }
  noboxes() { ! boxes >/dev/null; }
  # The window is up, or the game ended without one (which fails at once).
  shown() { window || { ended && fail "the game ended before its window appeared"; }; }
  start() {
    "$game" &
    pid=$!
    within 150 shown || fail "no window named Moonharbor appeared"
  }
  stop_with() {  # signal
    kill "-$1" "$pid"
    within 100 ended || fail "SIG$1 did not end the game"
    wait "$pid" || true
    pid=
  }
  read -r W H < <(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  s=$((W / 640 < H / 480 ? W / 640 : H / 480))
  ox=$(((W - 640 * s) / 2))
  oy=$(((H - 480 * s) / 2))
  at() { echo $((ox + $1 * s)) $((oy + $2 * s)); }
  case $mode in
  picture)
    start
    # The title's background reaches every corner of the picture (the top-left
    # one below the version text); around the picture the screen is black.
    for i in $(seq 1 100); do shot; black $(at 320 300) || break; sleep 0.1; done
    for p in "1 30" "638 1" "1 478" "638 478"; do
      black $(at $p) && fail "${W}x${H}: picture point ($p) is not on the screen at $(at $p)"
    done
    [ $ox -gt 0 ] && { black $((ox - 1)) $((oy + 30 * s)) || fail "${W}x${H}: picture left of x $ox"; }
    [ $oy -gt 0 ] && { black $((ox + s)) $((oy - 1)) || fail "${W}x${H}: picture above y $oy"; }
    # A second copy, and the installer's command line while the game runs (its
    # title shown, its settings read and marked), end at once with status 1 and
    # one line on stderr; the settings stay as they were.
    cp Env.dat "$root/env.before"
    for args in "" "2$PWD/"; do
      code=0
      timeout 10 "$game" $args 2> "$root/second.err" || code=$?
      [ $code = 1 ] || fail "a second copy ($args) ended with $code"
      [ "$(wc -l < "$root/second.err")" = 1 ] && grep -q '^Moonharbor is running' "$root/second.err" ||
        fail "a second copy ($args) did not say why: $(cat "$root/second.err")"
    done
    cmp -s Env.dat "$root/env.before" || fail "the installer's hook wrote the running game's settings"
    kill -0 "$pid" || fail "the first copy ended early"
    # Alt+Enter where no window manager can minimise the window: the game runs
    # on, so its cursor follows the pointer.
    xdotool key alt+Return
    sleep 1.5
    xdotool mousemove $(at 200 200)
    sleep 0.5
    shot
    cp "$root/shot.xwd" "$root/before.xwd"
    xdotool mousemove $(at 300 260)
    sleep 0.5
    shot
    cmp -s "$root/shot.xwd" "$root/before.xwd" && fail "${W}x${H}: the picture stood still after Alt+Enter"
    stop_with TERM
    ;;
  box)
    # A damaged database names its file and offset in a box when a new game loads it.
    printf '\xff\xff\x00\x00' | dd of=MH_Data/ItemData.dat bs=1 conv=notrunc 2>/dev/null
    for sig in TERM INT; do
      start
      sleep 2
      xdotool key Escape  # the opening video, if it still plays
      sleep 0.5
      xdotool mousemove $(at 95 437) mousedown 1 sleep 0.3 mouseup 1
      within 100 boxes >/dev/null || fail "no error box appeared"
      width=$(boxes | head -1)
      width=${width%%x*}
      [ "$width" -le 640 ] || fail "the error box is $width pixels wide"
      stop_with "$sig"
      # The server drops a dead client's windows when it reads the closed
      # connection, which on a busy machine can come a little after the exit.
      within 30 noboxes || fail "the error box outlived SIG$sig"
    done
    ;;
  esac
  exit 0
fi

make_root
cd "$root/game"
export MOONHARBOR_LOCK_DIR="$root"
# Without -noreset the server resets when its last client leaves (here each
# xwininfo or xdotool), and on a busy machine a game connecting during the
# reset is refused.
for screen in 1280x1024x16 1024x768x24; do
  xvfb-run -a -s "-screen 0 $screen -noreset" bash "$self" "$game" "$gen" --inside picture "$root"
done
cp -r "$root/game" "$root/damaged"
(cd "$root/damaged" && xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$self" "$game" "$gen" --inside box "$root")

# No display: no X11 or Wayland server, and SDL not asked for a driver.
code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$game" > "$root/out" 2> "$root/err" || code=$?
[ $code = 1 ] || { echo "with no display the game ended with $code"; cat "$root/err"; exit 1; }
[ "$(grep -c 'no display was found' "$root/err")" = 1 ] || { echo "no one line about the display"; cat "$root/err"; exit 1; }
grep -qx 'DDraw init Failed.: Moonharbor' "$root/err" || { echo "no display box text"; cat "$root/err"; exit 1; }
echo "window test passed"
