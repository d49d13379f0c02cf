#!/usr/bin/env bash
# Takes a screenshot of the real main window in each of its four machine
# modes on a virtual X server: mode1.png (large open), mode2.png (large
# folded), mode3.png (small open), mode4.png (small folded). The mode is set
# through the settings file of a temporary data folder before each start.
#
#   scripts/screenshots.sh [output folder]     default: build/screenshots
#
# ZPM_BUILD_DIR names another build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZPM_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/screenshots}")

if [ "${ZPM_INSIDE_XVFB:-}" != 1 ]; then
  ./scripts/setup.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)" --target zirpomat
  mkdir -p "$out"
  ZPM_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$out"
fi

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}

for mode in 1 2 3 4; do
  export APPDATA="$work/appdata$mode"
  mkdir -p "$APPDATA/Ostrolab/zirpomat"
  # 20 pixels from the top-left corner of the screen.
  printf '[ppos]\r\nyp=300\r\nxp=300\r\nmp=%s\r\n' "$mode" >"$APPDATA/Ostrolab/zirpomat/zpm.ini"
  "$build/soundboard/zirpomat" &
  pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name '^Zirpomat$' >/dev/null
  sleep 1  # the first showing applies the mode and paints
  # The whole 473 x 370 window and a margin: what lies outside the outline
  # shows the black desktop.
  import -window root -crop 493x390+10+10 +repage "$out/mode$mode.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
done
echo "screenshots in $out"
