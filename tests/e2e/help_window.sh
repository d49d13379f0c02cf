#!/usr/bin/env bash
# The real program on a virtual X server: a click on the help key of the
# large machine's title bar opens the help window at its design place (1065,
# 900 twips: 71, 60 pixels); a click on the Union flag changes the text and
# one on the German flag brings the first text back; Esc closes the window.
# Everything is read from the screen. Exit 77: the tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1

if ! inside_xvfb; then
  require_tools xvfb-run xdotool xwininfo import convert md5sum
  rerun_under_xvfb 1024x768x24 "$program"
fi

make_work_folder

# A fingerprint of a rectangle of the screen.
screen_area() { area "$(screen)" "$1"; }

# The help window's id once it shows (empty after ten seconds without one).
help_window() { timeout 10 xdotool search --sync --onlyvisible --name '^Zirpomat Hilfe$' | head -1 || true; }

export APPDATA="$work/appdata"
data="$APPDATA/Ostrolab/zirpomat"
mkdir -p "$data"
# The machine at 300, 300 pixels, clear of where the help window opens.
printf '[ppos]\r\nyp=4500\r\nxp=4500\r\nmp=1\r\n' >"$data/zpm.ini"

LANG=de start_large_machine

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

# Esc while the pointer and the focus are in the text box.
xdotool mousemove $((hx + 300)) $((hy + 200)) click 1
xdotool key Escape
for _ in $(seq 50); do
  [ -z "$(xdotool search --onlyvisible --name '^Zirpomat Hilfe$' 2>/dev/null || true)" ] && break
  sleep 0.1
done
[ -z "$(xdotool search --onlyvisible --name '^Zirpomat Hilfe$' 2>/dev/null || true)" ] || fail "Esc leaves the help window open"
echo "the help key opens the help window, the flags switch its text, Esc closes it"
