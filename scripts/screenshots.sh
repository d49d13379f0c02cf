#!/usr/bin/env bash
# Takes a screenshot of the real main window in each of its four machine
# modes on a virtual X server: mode1.png (large open), mode2.png (large
# folded), mode3.png (small open), mode4.png (small folded). The mode is set
# through the settings file of a temporary data folder before each start.
# Then the sound list under the large and the small machine
# (soundlist-large.png, soundlist-small.png); playing.png: the large machine
# with several buttons assigned, one of them clicked and playing, its long
# title scrolling; and the help window in each language (help_de.png,
# help_en.png).
#
#   scripts/screenshots.sh [output folder]     default: build/screenshots
#
# ZPM_BUILD_DIR names another build folder (default: build).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib/xvfb.sh
source "$(dirname "$0")/lib/xvfb.sh"
out=${1:+$(realpath -m "$1")}
cd "$(dirname "$0")/.."
build=${ZPM_BUILD_DIR:-build}
out=${out:-$(realpath -m "$build/screenshots")}

if ! inside_xvfb; then
  build_program "$build"
  cmake --build "$build" -j "$(nproc)" --target show_help_window
  mkdir -p "$out"
  rerun_under_xvfb 800x600x24 "$out"
fi

make_work_folder
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}

for mode in 1 2 3 4; do
  export APPDATA="$work/appdata$mode"
  mkdir -p "$APPDATA/Ostrolab/zirpomat"
  # 20 pixels from the top-left corner of the screen.
  printf '[ppos]\r\nyp=300\r\nxp=300\r\nmp=%s\r\n' "$mode" >"$APPDATA/Ostrolab/zirpomat/zpm.ini"
  "$build/soundboard/zirpomat" &
  pid=$!
  wait_for_window >/dev/null
  sleep 1  # the first showing applies the mode and paints
  # The whole 473 x 370 window and a margin: what lies outside the outline
  # shows the black desktop.
  import -window root -crop 493x390+10+10 +repage "$out/mode$mode.png"
  stop_program
done
# The sound list opened by the logo under the large and the small machine,
# with a few buttons assigned: soundlist-large.png, soundlist-small.png.
mkdir -p "$work/list-sounds"
for row in "1 large 68 138" "3 small 56 96"; do
  read -r mode size logo_x logo_y <<<"$row"
  export APPDATA="$work/appdata-list$mode"
  ini="$APPDATA/Ostrolab/zirpomat/zpm.ini"
  mkdir -p "$(dirname "$ini")"
  # 200 pixels from the left edge, 20 from the top.
  printf '[ppos]\r\nyp=300\r\nxp=3000\r\nmp=%s\r\n[snds]\r\n' "$mode" >"$ini"
  button=1
  for name in Drum_Roll Applause Airhorn Morning_Jingle Rimshot; do
    sox -n -r 8000 -c 1 -b 16 "$work/list-sounds/$name.wav" trim 0 1
    printf 's%s=%s\r\n' "$button" "$work/list-sounds/$name.wav" >>"$ini"
    button=$((button + 2))
  done
  "$build/soundboard/zirpomat" &
  pid=$!
  wait_for_window >/dev/null
  sleep 1
  xdotool mousemove $((200 + logo_x + 4)) $((20 + logo_y + 4)) click 1
  sleep 1
  import -window root -crop 440x520+90+10 +repage "$out/soundlist-$size.png"
  stop_program
done

# Several buttons assigned, one of them a playlist; a click on the one with
# the long title starts it, and a few ticks later its title has scrolled.
export APPDATA="$work/appdata-playing"
data="$APPDATA/Ostrolab/zirpomat"
mkdir -p "$data" "$work/sounds"
long=The_Very_Long_Title_Of_The_Evening_Show_Opener_That_Scrolls_Across_The_Display
ini="$data/zpm.ini"
printf '[ppos]\r\nyp=300\r\nxp=300\r\nmp=1\r\n[snds]\r\n' >"$ini"
button=1
for name in Drum_Roll Applause Airhorn Morning_Jingle "$long" Rimshot Crowd_Laugh Sad_Trombone; do
  sox -n -r 8000 -c 1 -b 16 "$work/sounds/$name.wav" trim 0 60
  printf 's%s=%s\r\n' "$button" "$work/sounds/$name.wav" >>"$ini"
  button=$((button + 3))
done
printf 's30=PlayList_30\r\n[lsts]\r\ns30=%s/,Drum_Roll.wav,Applause.wav\r\n' "$work/sounds" >>"$ini"
"$build/soundboard/zirpomat" &
pid=$!
wait_for_window >/dev/null
sleep 1
# Button 13 (the fifth assigned) lies at column 12 of the first row.
xdotool mousemove $((20 + 13 + 12 * 19 + 9)) $((20 + 34 + 9)) click 1
sleep 5.5  # a few ticks of the scrolling title
import -window root -crop 493x390+10+10 +repage "$out/playing.png"
stop_program

for lang in de en; do
  "$build/tests/soundboard/show_help_window" "$lang" &
  pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name '^Zirpomat Hilfe$' >/dev/null
  sleep 1  # painted
  # The 600 x 451 window at 71, 60 and a margin of the black desktop.
  import -window root -crop 620x471+61+50 +repage "$out/help_$lang.png"
  stop_program
done

echo "screenshots in $out"
