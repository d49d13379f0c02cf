#!/usr/bin/env bash
# The two always-on-top switches of the real program under a real window
# manager (openbox): the LED key puts the window above the others (the
# window manager's _NET_WM_STATE_ABOVE) and lights the LED, keeping the
# window's place and outline; a right press on the time display turns its
# text magenta, a second one white again and takes the window off the top
# while the LED stays lit; the LED key then puts the LED out. Exit 77: the
# tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"
# shellcheck source-path=SCRIPTDIR source=machine_mouse.sh
source "$(dirname "$0")/machine_mouse.sh"

program=$1
assets=$2

start_machine_on_window_manager
x=$(window_left "$window"); y=$(window_top "$window")
led_x=$((x + 46 + 5)); led_y=$((y + 6 + 7))
lit=$(pixel "$assets/led.bmp" 5 7)
unlit=$(pixel "$assets/skins/large_open.bmp" $((46 + 5)) $((6 + 7)))
[ "$lit" != "$unlit" ] || fail "the LED's test pixel does not tell lit from unlit"

# The share of magenta in the time display's text area.
time_magenta() {
  convert "$(screen)" -crop "141x21+$((x + 88))+$((y + 7))" +repage -fuzz 25% \
    -fill black +opaque magenta -fill white -opaque magenta -format "%[fx:mean>0]" info:
}

click_at 25 13
wait_property _NET_WM_STATE _NET_WM_STATE_ABOVE || fail "no _NET_WM_STATE_ABOVE after the LED key"
wait_pixel "$led_x" "$led_y" "$lit" || fail "the LED is not lit"
[ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "the LED key took the outline"
[ "$(window_left "$window"),$(window_top "$window")" = "$x,$y" ] || fail "the LED key moved the window"

click_at 150 14 3
sleep 0.5
[ "$(time_magenta)" = 1 ] || fail "the time display's text is not magenta after a right press"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the first right press took the window off the top"

click_at 150 14 3
wait_property _NET_WM_STATE _NET_WM_STATE_ABOVE not || fail "the second right press left the window above"
sleep 0.5
[ "$(time_magenta)" = 0 ] || fail "the time display's text stayed magenta"
[ "$(pixel "$(screen)" "$led_x" "$led_y")" = "$lit" ] || fail "the LED went out with the time display's switch"

click_at 25 13
wait_pixel "$led_x" "$led_y" "$unlit" || fail "the LED stays lit after the second click on its key"
echo "on top by the LED key and by the time display, each with its own sign"
