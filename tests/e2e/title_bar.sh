#!/usr/bin/env bash
# The real program on a virtual X server with a real window manager
# (openbox), worked with the mouse like a person would: the machine is
# dragged by its skin; the always-on-top key puts it above (the window
# manager's state says so, and the LED lights); minimise takes it to the
# taskbar without its outline, and restoring brings the outline back; the
# logo opens the sound list under the machine, and a double-click on a row
# puts that button on air; the close key ends the program, which saves where
# the machine stood. Exit 77: the tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1
assets=$2

if ! inside_xvfb; then
  require_tools xvfb-run xdotool xwininfo xprop import convert sox openbox
  rerun_under_xvfb 1024x768x24 "$program" "$assets"
fi

make_work_folder
openbox --sm-disable >"$work/wm.log" 2>&1 &
wm_pid=$!
trap 'kill "$wm_pid" 2>/dev/null || true; clean_up' EXIT

fail() { echo "FAIL: $*"; cat "$work/log" 2>/dev/null || true; exit 1; }

# The window manager is up once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" || fail "openbox did not start"

export APPDATA="$work/appdata"
data="$APPDATA/Ostrolab/zirpomat"
mkdir -p "$data"
sox -n -r 8000 -c 1 -b 16 "$work/Morning_Show.wav" trim 0 30
printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n[snds]\r\ns1=%s\r\n' "$work/Morning_Show.wav" >"$data/zpm.ini"

"$program" >"$work/log" 2>&1 &
pid=$!
window=$(wait_for_window) || true
[ -n "$window" ] || fail "no window"
[ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "no outline at start"
sleep 0.5

screen() {
  local file; file=$(mktemp -p "$work" screenXXXXXX.png)
  import -window root "$file"
  echo "$file"
}
# Clicks at a place inside the machine.
click_at() {
  xdotool mousemove $(($(window_left "$window") + $1)) $(($(window_top "$window") + $2)) click 1
}
# Waits until the screen shows the colour $3 at $1, $2.
wait_pixel() {
  for _ in $(seq 50); do
    [ "$(pixel "$(screen)" "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}

# Drag by the skin's frame left of the keys: the window follows the mouse.
x=$(window_left "$window"); y=$(window_top "$window")
xdotool mousemove $((x + 5)) $((y + 60)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((x + 5 + step * 12)) $((y + 60 + step * 8))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.5
nx=$(window_left "$window"); ny=$(window_top "$window")
[ $((nx - x)) -ge 100 ] && [ $((ny - y)) -ge 60 ] || fail "dragging moved the window from $x,$y to $nx,$ny only"
x=$nx; y=$ny

# The always-on-top key: the window manager's "above" state and the LED.
click_at 25 13
above=""
for _ in $(seq 50); do
  xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && above=1 && break
  sleep 0.1
done
[ -n "$above" ] || fail "no _NET_WM_STATE_ABOVE after the on-top key: $(xprop -id "$window" _NET_WM_STATE)"
x=$(window_left "$window"); y=$(window_top "$window")
wait_pixel $((x + 46 + 5)) $((y + 6 + 7)) "$(pixel "$assets/led.bmp" 5 7)" || fail "the LED is not lit"
[ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "the on-top key took the outline"

# Minimise: iconic and without its outline; restored, the outline is back.
click_at 270 12
iconic=""
for _ in $(seq 50); do
  xprop -id "$window" WM_STATE | grep -qi iconic && iconic=1 && break
  sleep 0.1
done
[ -n "$iconic" ] || fail "the minimise key did not minimise"
# Without an outline the window has no shape extents, or the whole window's.
ext=$(wait_for_shape "$window" "")
[ -z "$ext" ] || [ "$ext" = "473x370+0+0" ] || fail "the outline stayed while minimised: $ext"
xdotool windowactivate "$window" 2>/dev/null || xdotool windowmap "$window"
[ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "the outline did not come back"
sleep 0.5
x=$(window_left "$window"); y=$(window_top "$window")

# The logo opens the sound list under the machine, centred under its skin.
click_at 72 142
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Form2$' | head -n1) || true
[ -n "$list" ] || fail "no sound list"
sleep 0.5
lx=$(window_left "$list"); ly=$(window_top "$list")
[ "$ly" -eq $((y + 151)) ] || fail "the list's top is $ly, expected $((y + 151))"
[ $((lx - x)) -ge 6 ] && [ $((lx - x)) -le 7 ] || fail "the list's left is $lx, expected 6.5 pixels right of $x"

# A double-click on the first row plays button 1: it shows the on-air picture.
xdotool mousemove $((lx + 40)) $((ly + 48 + 6)) click --repeat 2 --delay 80 1
onair=$(pixel "$assets/states/ImgOnAir.bmp" 4 4)
wait_pixel $((x + 13 + 4)) $((y + 34 + 4)) "$onair" || fail "button 1 is not on air after the double-click"

# The close key ends the program, which saves where the machine stood.
click_at 293 12
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the close key did not end the program"
pid=""
grep -q "xp=$((x * 15))" "$data/zpm.ini" && grep -q "yp=$((y * 15))" "$data/zpm.ini" ||
  fail "the place $((x * 15)), $((y * 15)) is not saved: $(cat "$data/zpm.ini")"
echo "dragged, on top, minimised and restored, sound list placed and played, closed with the place saved"
