#!/usr/bin/env bash
# The real program on a virtual X server with a real window manager
# (openbox), worked with the mouse like a person would: the machine is
# dragged by its skin; minimise takes it to the taskbar without its outline,
# and restoring brings the outline back; the logo opens the sound list under
# the machine, and a double-click on a row puts that button on air; the close
# key ends the program, which saves where the machine stood. Exit 77: the
# tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
# shellcheck source-path=SCRIPTDIR source=machine_mouse.sh
source "$(dirname "$0")/machine_mouse.sh"

program=$1
assets=$2

start_machine_on_window_manager

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

# Minimise: iconic and without its outline; restored, the outline is back.
click_at 270 12
wait_property WM_STATE "Iconic" || fail "the minimise key did not minimise"
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
echo "dragged, minimised and restored, sound list placed and played, closed with the place saved"
