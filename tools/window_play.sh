# What the window scripts (playthrough.sh, keywalk.sh) share, sourced by the
# play they run inside the X server: numbered screenshots into $out, the colour
# of a screen point, the colours they wait for, and the world map coming up.
n=0
shot() {
  n=$((n + 1))
  xwd -root | convert xwd:- "$out/$(printf %02d $n)-$1.png"
  echo "$(printf %02d $n)-$1.png"
}
# The colour at (x, y) of the screen: "r,g,b".
pixel() { xwd -root | convert xwd:- -format "%[pixel:p{$1,$2}]" info: | tr -d "srgba()"; }
# The world map's sea, the grass of the lighthouse, the meadow and the town,
# and the town's and the meadow's road.
sea=16,40,131 grass=49,145,49 road=197,161,98
# The world map is up: its sea on the right (the view around the start) or
# on the left (the view at the map's west edge).
wait_world() {
  for i in $(seq 1 40); do
    [ "$(pixel 620 200)" = "$sea" ] && return 0
    [ "$(pixel 40 240)" = "$sea" ] && return 0
    sleep 0.25
  done
  echo "no world map after 10 s"; shot stuck; exit 1
}
