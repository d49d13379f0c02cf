# shellcheck shell=bash
# Helpers of the end-to-end scenarios: they run the program on a virtual X
# server and read what it shows from the screen. Sourced, never run.
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"

# Ends the test as skipped (exit 77) when one of the tools is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
}

# Says why the test failed, shows the program's log and ends the test.
fail() { echo "FAIL: $*"; cat "${work:-}/log" 2>/dev/null || true; exit 1; }

# Runs the command every tenth of a second until it succeeds, for up to ten
# seconds.
wait_until() {
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# "r,g,b" of one pixel of a picture file, whatever colour form the file keeps.
pixel() {
  convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# An openbox configuration in which Super, not Alt, with a mouse button
# moves, resizes and lowers windows, so that Alt clicks reach the program, as
# the README tells users to set it; prints its file's path.
openbox_config_super_moves() {
  sed 's/button="A-/button="W-/' /etc/xdg/openbox/rc.xml >"$work/rc.xml"
  echo "$work/rc.xml"
}

# A picture of the whole screen; prints its file's path.
screen() {
  local file; file=$(mktemp -p "$work" screenXXXXXX.png)
  import -window root "$file"
  echo "$file"
}

# A fingerprint of a rectangle of a picture file.
area() { convert "$1" -crop "$2" +repage rgb:- | md5sum | cut -d' ' -f1; }

screen_pixel_is() { [ "$(pixel "$(screen)" "$1" "$2")" = "$3" ]; }
# Waits until the screen's pixel at $1, $2 is $3.
wait_pixel() { wait_until screen_pixel_is "$@"; }

# The window's shape extents as the X server has them ("WxH+X+Y").
shape_of() { xwininfo -shape -id "$1" | sed -n 's/.*Window shape extents: *//p'; }
shaped() { [ "$(shape_of "$1")" = "$2" ]; }
window_left() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p'; }
window_top() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p'; }
wm_state() { xprop -id "$1" WM_STATE | sed -n 's/.*window state: *//p'; }
map_state() { xwininfo -id "$1" | sed -n 's/.*Map State: *//p'; }
viewable() { [ "$(map_state "$1")" = IsViewable ]; }
shown() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)" ]; }
running() { kill -0 "$1" 2>/dev/null; }

# The window's states as the window manager keeps them (_NET_WM_STATE), one
# atom name a line.
window_states() {
  xprop -id "$1" _NET_WM_STATE | sed -n 's/^_NET_WM_STATE(ATOM) = //p' | tr -d ' ' | tr ',' '\n' | grep -v '^$' || true
}
# True when the window's property $2 matches $3 (grep -E).
has_property() { xprop -id "$1" "$2" | grep -qE "$3"; }

# What the window manager and the X server say of the window, and whether
# that is shown normal: managed in the normal state, not hidden, viewable and
# wholly on the screen.
normal_on_screen() {
  local w=$1 sw sh x y ww wh
  read -r sw sh < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
  x=$(window_left "$w"); y=$(window_top "$w")
  ww=$(xwininfo -id "$w" | sed -n 's/.*Width: *//p'); wh=$(xwininfo -id "$w" | sed -n 's/.*Height: *//p')
  seen="state $(wm_state "$w"), $(map_state "$w"), at $x,$y size ${ww}x$wh, states [$(window_states "$w" | tr '\n' ' ')]"
  [ "$(wm_state "$w")" = Normal ] && [ "$(map_state "$w")" = IsViewable ] &&
    ! window_states "$w" | grep -q _NET_WM_STATE_HIDDEN &&
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + ww)) -le "$sw" ] && [ $((y + wh)) -le "$sh" ]
}

# A silent sound file of some seconds.
silent_sound() { sox -n -r 8000 -c 1 -b 16 "$1" trim 0 "$2"; }

# A data folder ($data) under a new APPDATA whose settings file puts the
# machine in mode $mode (default 1) at $xp, $yp twips (default 1500) and
# assigns the given sounds to buttons 1, 2, ... in turn.
settings_with_sounds() {
  export APPDATA="$work/appdata"
  data="$APPDATA/Ostrolab/zirpomat"
  mkdir -p "$data"
  printf '[ppos]\r\nyp=%s\r\nxp=%s\r\nmp=%s\r\n[snds]\r\n' "${yp:-1500}" "${xp:-1500}" "${mode:-1}" >"$data/zpm.ini"
  local n=1 sound
  for sound in "$@"; do
    printf 's%s=%s\r\n' "$n" "$sound" >>"$data/zpm.ini"
    n=$((n + 1))
  done
}

# Starts the program ($pid) and waits for its window ($window) with the
# outline $1 (default the large open machine's); $x and $y are its place.
start_machine() {
  "$program" >"$work/log" 2>&1 &
  pid=$!
  window=$(wait_for_window) || fail "no window"
  wait_until shaped "$window" "${1:-306x151+0+0}" || fail "no outline at start: $(shape_of "$window")"
  x=$(window_left "$window")
  y=$(window_top "$window")
}

# Clicks with mouse button $3 (default 1) at $1, $2 inside the machine.
click_at() {
  xdotool mousemove $(($(window_left "$window") + $1)) $(($(window_top "$window") + $2)) click "${3:-1}"
}

# Button n (1 to 15) of the large machine's first row: its left edge on the
# screen; its pictures differ at 4, 4 from its top left (at $y + 34).
button_x() { echo $((x + 13 + ($1 - 1) * 19)); }
button_shows() { screen_pixel_is $(($(button_x "$1") + 4)) $((y + 38)) "$2"; }
click_button() { xdotool mousemove $(($(button_x "$1") + 9)) $((y + 43)) "${@:2}"; }
state_pixel() { pixel "$assets/states/$1.bmp" 4 4; }

# Watches the time display's two halves, the remaining time (or the date)
# and the total (or the clock), over two ticks until they change as $1 says
# ("1,0": the left one changed, the right one did not); a busy machine may
# write the display or know a sound's length only some ticks late. $total
# is the right half's last fingerprint.
display_changes() {
  local left="70x21+$((x + 88))+$((y + 7))" right="70x21+$((x + 159))+$((y + 7))" l r now lc rc
  for _ in 1 2 3 4; do
    sleep 1.1
    now=$(screen); l=$(area "$now" "$left"); r=$(area "$now" "$right"); lc=0; rc=0
    for _ in 1 2; do
      sleep 1.1
      now=$(screen)
      [ "$(area "$now" "$left")" != "$l" ] && lc=1
      [ "$(area "$now" "$right")" != "$r" ] && rc=1
      l=$(area "$now" "$left"); r=$(area "$now" "$right")
    done
    total=$r
    [ "$lc,$rc" = "$1" ] && return 0
  done
  echo "the display's halves changed as $lc,$rc"
  return 1
}

# The large open machine at 100, 100 with a sound of 30 seconds on button 1.
start_morning_show() {
  silent_sound "$work/Morning_Show.wav" 30
  settings_with_sounds "$work/Morning_Show.wav"
  start_machine
  wait_until button_shows 1 "$(state_pixel ImgReady)" || fail "button 1 is not ready at start"
}
