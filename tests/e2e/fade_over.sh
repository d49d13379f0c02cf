#!/usr/bin/env bash
# The real program on a virtual X server with openbox (Alt clicks left to
# the program): while button 1 plays, Alt with a left click on button 2 fades
# button 1's sound out with button 1 blinking, then button 2 goes on air and
# the time display counts its sound (the remaining time changes from tick to
# tick beside a total other than the first sound's). Esc during the next fade
# over starts nothing: restored, the machine shows button 1 not on air.
# Everything is read from the screen's pixels. Exit 77: the tools are
# missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
# shellcheck source-path=SCRIPTDIR source=machine_mouse.sh
source "$(dirname "$0")/machine_mouse.sh"

program=$1
assets=$2

if ! inside_xvfb; then
  require_tools xvfb-run xdotool xwininfo xprop import convert sox md5sum openbox
  rerun_under_xvfb 1024x768x24 "$program" "$assets"
fi

make_work_folder
start_window_manager --config-file "$(openbox_config_super_moves)" || fail "openbox does not come up"

silent_sound "$work/Forty_Seconds.wav" 40
silent_sound "$work/Twenty_Seconds.wav" 20
settings_with_sounds "$work/Forty_Seconds.wav" "$work/Twenty_Seconds.wav"

start_large_machine

# Buttons 1 and 2 lie at 13, 34 and 32, 34 in the window; the pictures
# differ at 4, 4.
b1x=$((x + 13)); b2x=$((x + 32)); by=$((y + 34))
ready=$(pixel "$assets/states/ImgReady.bmp" 4 4)
onair=$(pixel "$assets/states/ImgOnAir.bmp" 4 4)
total="70x21+$((x + 159))+$((y + 7))"
remaining="70x21+$((x + 88))+$((y + 7))"

# Waits until the button at $1 shows the picture whose pixel is $2.
wait_button() { wait_pixel $(($1 + 4)) $((by + 4)) "$2"; }

wait_button "$b1x" "$ready" || fail "button 1 does not show the ready picture at start"
xdotool mousemove $((b1x + 9)) $((by + 9)) click 1
wait_button "$b1x" "$onair" || fail "button 1 does not go on air"
sleep 2.2  # the time display shows the first sound
first_total=$(area "$(screen)" "$total")

xdotool mousemove $((b2x + 9)) $((by + 9)) keydown Alt_L click 1 keyup Alt_L

# The fade takes about four seconds; button 1 changes its picture every
# fifth of a second meanwhile.
changes=0
last=""
for _ in $(seq 12); do
  now=$(pixel "$(screen)" $((b1x + 4)) $((by + 4)))
  [ -n "$last" ] && [ "$now" != "$last" ] && changes=$((changes + 1))
  last=$now
  sleep 0.13
done
[ "$changes" -ge 2 ] || fail "button 1 does not blink during the fade ($changes changes)"

# The fade has ended when button 1 keeps the ready picture longer than a
# blink phase lasts.
steady=0
for _ in $(seq 100); do
  if [ "$(pixel "$(screen)" $((b1x + 4)) $((by + 4)))" = "$ready" ]; then
    steady=$((steady + 1))
    [ "$steady" -ge 4 ] && break
  else
    steady=0
  fi
  sleep 0.15
done
[ "$steady" -ge 4 ] || fail "button 1 does not keep the ready picture after the fade"
wait_button "$b2x" "$onair" || fail "button 2 does not go on air after the fade"
sleep 1.2  # the first tick after the start writes the time
before=$(screen)
sleep 2.1
after=$(screen)
[ "$(area "$before" "$remaining")" != "$(area "$after" "$remaining")" ] || fail "the remaining time does not count"
[ "$(area "$before" "$total")" = "$(area "$after" "$total")" ] || fail "the total time does not stand still"
[ "$(area "$after" "$total")" != "$first_total" ] || fail "the display still shows the first sound's length"

# Esc as soon as button 2 blinks in the fade over back to button 1; then the
# machine restored from outside and the exit question answered No.
xdotool mousemove $((b1x + 9)) $((by + 9)) keydown Alt_L click 1 keyup Alt_L
wait_button "$b2x" "$ready" || fail "no fade over back to button 1"
xdotool key Escape
wait_property WM_STATE Iconic || fail "Esc does not hide the machine"
xdotool windowactivate "$window"
wait_for_window '^(Rechner|Calculator)$' >/dev/null || fail "no exit question after the restore"
xdotool key Escape
wait_until_normal_on_screen "$window" >/dev/null || fail "the machine does not come back after No"
sleep 0.5
[ "$(pixel "$(screen)" $((b1x + 4)) $((by + 4)))" != "$onair" ] || fail "Esc in the fade over's wait started button 1"
echo "the first button blinks through the fade, then the second plays and the display counts it; Esc in a fade over starts nothing"
