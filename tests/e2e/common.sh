# shellcheck shell=bash
# Shared by the end-to-end tests: they run the program under test on a
# virtual X server and read what it shows from the screen. Sourced, never run.
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"

# Ends the test as skipped (exit 77) when one of the tools is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
}

# "r,g,b" of one pixel of a picture file, whatever colour form the file keeps.
pixel() {
  convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# The window's shape extents as the X server has them ("WxH+X+Y"), waiting
# up to ten seconds for them to become the expected ones: the shape is
# applied when the window is first shown.
wait_for_shape() {
  local window=$1 expected=$2 extents=""
  for _ in $(seq 100); do
    extents=$(xwininfo -shape -id "$window" | sed -n 's/.*Window shape extents: *//p')
    [ "$extents" = "$expected" ] && break
    sleep 0.1
  done
  echo "$extents"
}

# The window's top-left corner on the screen.
window_left() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p'; }
window_top() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p'; }

# The window's states as the window manager keeps them (_NET_WM_STATE), one
# atom name a line; nothing for a window without any.
window_states() {
  xprop -id "$1" _NET_WM_STATE | sed -n 's/^_NET_WM_STATE(ATOM) = //p' | tr -d ' ' | tr ',' '\n' | grep -v '^$' || true
}

# Waits up to ten seconds until the window is shown normal: managed in the
# normal state (neither minimised nor withdrawn), not hidden by the window
# manager, viewable, and wholly on the screen. Prints what it saw last and
# fails when that never came.
wait_until_normal_on_screen() {
  local window=$1 seen="" screen_w screen_h
  read -r screen_w screen_h < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
  for _ in $(seq 100); do
    local wm_state map x y w h
    wm_state=$(xprop -id "$window" WM_STATE | sed -n 's/.*window state: *//p')
    map=$(xwininfo -id "$window" | sed -n 's/.*Map State: *//p')
    x=$(window_left "$window"); y=$(window_top "$window")
    w=$(xwininfo -id "$window" | sed -n 's/.*Width: *//p'); h=$(xwininfo -id "$window" | sed -n 's/.*Height: *//p')
    seen="state ${wm_state:-withdrawn}, $map, at $x,$y size ${w}x$h, states [$(window_states "$window" | tr '\n' ' ')]"
    if [ "$wm_state" = Normal ] && [ "$map" = IsViewable ] && ! window_states "$window" | grep -q _NET_WM_STATE_HIDDEN &&
      [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ]; then
      echo "$seen"
      return 0
    fi
    sleep 0.1
  done
  echo "$seen"
  return 1
}

# Says why the test failed, shows the program's log and ends the test.
fail() { echo "FAIL: $*"; cat "$work/log" 2>/dev/null || true; exit 1; }

# A fingerprint of a rectangle of a picture file.
area() { convert "$1" -crop "$2" +repage rgb:- | md5sum | cut -d' ' -f1; }

# A silent sound file of some seconds.
silent_sound() { sox -n -r 8000 -c 1 -b 16 "$1" trim 0 "$2"; }

# A data folder ($data) under a new APPDATA whose settings file puts the
# large open machine at 100, 100 and assigns the given sounds to buttons 1,
# 2, ... in turn.
settings_with_sounds() {
  export APPDATA="$work/appdata"
  data="$APPDATA/Ostrolab/zirpomat"
  mkdir -p "$data"
  printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n[snds]\r\n' >"$data/zpm.ini"
  local n=1 sound
  for sound in "$@"; do
    printf 's%s=%s\r\n' "$n" "$sound" >>"$data/zpm.ini"
    n=$((n + 1))
  done
}

# Starts the program ($pid) and waits for the large open machine's window
# ($window) with its outline; $x and $y are its place on the screen.
start_large_machine() {
  "$program" >"$work/log" 2>&1 &
  pid=$!
  window=$(wait_for_window) || true
  [ -n "$window" ] || fail "no window"
  [ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "no outline at start"
  x=$(window_left "$window")
  y=$(window_top "$window")
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

# Waits up to ten seconds until the screen's pixel at $1, $2 is $3.
wait_pixel() {
  for _ in $(seq 100); do
    [ "$(pixel "$(screen)" "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}
