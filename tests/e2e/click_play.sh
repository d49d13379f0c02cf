#!/usr/bin/env bash
# The real program on a virtual X server, played with the mouse: a button
# assigned in the settings file plays at a click (it shows the on-air picture
# and the time display counts down: its remaining time changes from tick to
# tick while the total stays), and a second click stops it (the ready
# picture comes back, the display shows the clock again). Everything is read
# from the screen's pixels. Exit 77: the tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1
assets=$2

if ! inside_xvfb; then
  require_tools xvfb-run xdotool xwininfo import convert sox md5sum
  rerun_under_xvfb 1024x768x24 "$program" "$assets"
fi

make_work_folder

silent_sound "$work/Twenty_Seconds.wav" 20
settings_with_sounds "$work/Twenty_Seconds.wav"

start_large_machine

# Button 1 lies at 13, 34 in the window; its pictures differ at 4, 4.
bx=$((x + 13)); by=$((y + 34))
ready=$(pixel "$assets/states/ImgReady.bmp" 4 4)
onair=$(pixel "$assets/states/ImgOnAir.bmp" 4 4)
# The time display's two halves: the remaining time (or the date) and the
# total time (or the clock).
left="70x21+$((x + 88))+$((y + 7))"
right="70x21+$((x + 159))+$((y + 7))"

# Waits until button 1 shows the picture whose pixel is $1.
wait_button() { wait_pixel $((bx + 4)) $((by + 4)) "$1"; }
# Watches the time display over four ticks: "moving,steady" when one half
# changed and the other never did.
watch_display() {
  local first l r lchanged=0 rchanged=0
  first=$(screen)
  l=$(area "$first" "$left"); r=$(area "$first" "$right")
  for _ in 1 2 3 4; do
    sleep 1.1
    local now; now=$(screen)
    [ "$(area "$now" "$left")" != "$l" ] && lchanged=1
    [ "$(area "$now" "$right")" != "$r" ] && rchanged=1
    l=$(area "$now" "$left"); r=$(area "$now" "$right")
  done
  echo "$lchanged,$rchanged"
}

wait_button "$ready" || fail "button 1 does not show the ready picture at start"
xdotool mousemove $((bx + 9)) $((by + 9)) click 1
wait_button "$onair" || fail "button 1 does not show the on-air picture after the click"
sleep 1.2  # the first tick after the start writes the time
[ "$(watch_display)" = "1,0" ] || fail "the remaining time does not count down beside a steady total"

xdotool click 1
wait_button "$ready" || fail "button 1 does not show the ready picture after the second click"
sleep 1.2
[ "$(watch_display)" = "0,1" ] || fail "the display does not show the running clock after the stop"
echo "a click plays, the time counts down, a second click stops"
