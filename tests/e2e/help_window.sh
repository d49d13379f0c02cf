#!/usr/bin/env bash
# The real program on a virtual X server with a window manager (openbox):
# Esc right after opening the help window or the sound list closes that
# window and leaves the playing machine alone; a click on the help key of the
# large machine's title bar opens the help window at its design place (1065,
# 900 twips: 71, 60 pixels); a click on the Union flag changes the text and
# one on the German flag brings the first text back; a middle click pastes
# nothing from an empty selection and the selection when there is one; Esc
# closes the window. Everything is read from the screen. Exit 77: the tools
# are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1
assets=$2

if ! inside_xvfb; then
  require_tools xvfb-run xdotool xwininfo xprop import convert md5sum sox openbox xclip
  rerun_under_xvfb 1024x768x24 "$program" "$assets"
fi

make_work_folder
start_window_manager || fail "openbox does not come up"

# A fingerprint of a rectangle of the screen.
screen_area() { area "$(screen)" "$1"; }

# The help window's id once it shows (empty after ten seconds without one).
help_window() { timeout 10 xdotool search --sync --onlyvisible --name '^Zirpomat Hilfe$' | head -1 || true; }

silent_sound "$work/Long.wav" 60
settings_with_sounds "$work/Long.wav"
# The machine at 300, 300 pixels, clear of where the help window opens.
sed -i 's/=1500/=4500/' "$data/zpm.ini"

LANG=de start_large_machine

# Button 1 plays; Esc at once after the help key, then after the logo,
# closes only the window just opened: the machine stays shown and on air.
onair=$(pixel "$assets/states/ImgOnAir.bmp" 4 4)
xdotool mousemove $((x + 22)) $((y + 43)) click 1
wait_pixel $((x + 17)) $((y + 38)) "$onair" || fail "button 1 does not go on air"
for opener in "258 12 ^Zirpomat Hilfe$" "72 142 ^Form2$"; do
  read -r ox oy name <<<"$opener"
  xdotool mousemove $((x + ox)) $((y + oy)) click 1
  opened=$(timeout 10 xdotool search --sync --onlyvisible --name "$name" | head -1) || fail "no window $name"
  xdotool key Escape
  for _ in $(seq 50); do xwininfo -id "$opened" | grep -q IsViewable || break; sleep 0.1; done
  xwininfo -id "$opened" | grep -q IsViewable && fail "Esc leaves $name open"
  sleep 1.2 # a status tick would show a stopped sound
  [ "$(xdotool getwindowname "$window")" = Zirpomat ] && [ "$(pixel "$(screen)" $((x + 17)) $((y + 38)))" = "$onair" ] &&
    xprop -id "$window" WM_STATE | grep -q Normal || fail "Esc after opening $name reached the machine"
done

# The help key: 11 x 11 at 253, 7 on the large machine's title bar.
xdotool mousemove $((x + 258)) $((y + 12)) click 1
help=$(help_window)
[ -n "$help" ] || fail "the help key opens no help window"
hx=$(window_left "$help")
hy=$(window_top "$help")
[ "$hx,$hy" = "71,60" ] || fail "the help window opens at $hx,$hy, not at its design place 71,60"

# Lines 3 to 5 of the text box, where the two languages differ, below the
# blinking text cursor in line 1.
lines="560x40+$((hx + 10))+$((hy + 38))"
german=$(screen_area "$lines")
xdotool mousemove $((hx + 312 + 16)) $((hy + 420 + 12)) click 1
sleep 0.5
english=$(screen_area "$lines")
[ "$english" != "$german" ] || fail "the Union flag does not change the text"
xdotool mousemove $((hx + 264 + 16)) $((hy + 420 + 12)) click 1
sleep 0.5
[ "$(screen_area "$lines")" = "$german" ] || fail "the German flag does not bring the German text back"

# A middle click, Shift+Insert and Ctrl+V paste nothing from an empty
# selection and clipboard, and a middle click pastes the selection when there
# is one (Ctrl+A hands the box's whole text back as the selection).
xdotool mousemove $((hx + 300)) $((hy + 200)) click 2 key shift+Insert ctrl+v
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "pasting from an empty selection or clipboard ends the program"
printf 'Pasted-Mark' | xclip -selection primary
xdotool click 2 key ctrl+a
sleep 0.5
xclip -o -selection primary | grep -q Pasted-Mark || fail "a middle click does not paste the selection"

# Esc while the pointer and the focus are in the text box.
xdotool mousemove $((hx + 300)) $((hy + 200)) click 1
xdotool key Escape
for _ in $(seq 50); do
  [ -z "$(xdotool search --onlyvisible --name '^Zirpomat Hilfe$' 2>/dev/null || true)" ] && break
  sleep 0.1
done
[ -z "$(xdotool search --onlyvisible --name '^Zirpomat Hilfe$' 2>/dev/null || true)" ] || fail "Esc leaves the help window open"
echo "Esc right after opening closes the window alone; the help window opens in place, switches its text, pastes safely and closes by Esc"
