#!/usr/bin/env bash
# Starts the program on a virtual X server once in each machine mode and
# checks that the X server cuts its window to the skin's outline: the shape
# extents are the skin's size, a see-through corner and a place beside the
# skin show the desktop, and the skin's frame shows the skin's own pixel.
# Also checks that without any display, or when Qt's own connection to it
# fails, the program names the way to start it instead of aborting. Exit 77: the tools for the X part are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1
assets=$2

if ! inside_xvfb; then
  if out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1); then
    echo "FAIL: the program started without a display"; exit 1
  fi
  if ! grep -q "xvfb-run" <<<"$out" || [ "$(wc -l <<<"$out")" -ne 1 ]; then
    echo "FAIL: no one-line hint without a display: $out"; exit 1
  fi
  # A display that is named but does not answer gets the same hint.
  if out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 "$program" 2>&1) ||
    ! grep -q "xvfb-run" <<<"$out" || [ "$(wc -l <<<"$out")" -ne 1 ]; then
    echo "FAIL: no one-line hint for a display that does not answer: $out"; exit 1
  fi
  # With X11 asked for by name no check comes first: Qt's own connection
  # fails, and the program tries again a few times, then gives the same hint
  # and exit status 1 instead of aborting.
  status=0
  out=$(env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY=:97 "$program" 2>&1) || status=$?
  if [ "$status" -ne 1 ] || ! grep -q "xvfb-run" <<<"$out" || [ "$(wc -l <<<"$out")" -ne 1 ]; then
    echo "FAIL: status $status and not the one-line hint when Qt cannot connect: $out"; exit 1
  fi
  require_tools xvfb-run xdotool xwininfo import convert
  rerun_under_xvfb 1024x768x24 "$program" "$assets"
fi

make_work_folder

import -window root "$work/desktop.png"
failed=0
# mode, skin, its size, a place on the skin's frame that no element covers
for row in "1 large_open 306x151 5 60" "2 large_folded 306x25 5 12" \
           "3 small_open 123x109 5 60" "4 small_folded 123x25 5 12"; do
  read -r mode skin size fx fy <<<"$row"
  export APPDATA="$work/appdata$mode"
  mkdir -p "$APPDATA/Ostrolab/zirpomat"
  printf '[ppos]\r\nyp=1500\r\nxp=3000\r\nmp=%s\r\n' "$mode" >"$APPDATA/Ostrolab/zirpomat/zpm.ini"

  "$program" >"$work/log$mode" 2>&1 &
  pid=$!
  window=$(wait_for_window) || true
  if [ -z "$window" ]; then
    echo "FAIL mode $mode: no window"; cat "$work/log$mode"; exit 1
  fi
  extents=$(wait_for_shape "$window" "$size+0+0")
  sleep 0.5
  import -window root "$work/screen$mode.png"
  x=$(window_left "$window")
  y=$(window_top "$window")

  check() {
    if [ "$2" != "$3" ]; then echo "FAIL mode $mode: $1: got $2, expected $3"; failed=1; fi
  }
  check "shape extents" "$extents" "$size+0+0"
  check "see-through corner" "$(pixel "$work/screen$mode.png" "$x" "$y")" "$(pixel "$work/desktop.png" "$x" "$y")"
  check "beside the skin" "$(pixel "$work/screen$mode.png" $((x + 400)) $((y + 300)))" \
    "$(pixel "$work/desktop.png" $((x + 400)) $((y + 300)))"
  check "skin frame" "$(pixel "$work/screen$mode.png" $((x + fx)) $((y + fy)))" \
    "$(pixel "$assets/skins/$skin.bmp" "$fx" "$fy")"

  stop_program
done
[ "$failed" -eq 0 ] && echo "window shape applied in all four modes"
exit "$failed"
