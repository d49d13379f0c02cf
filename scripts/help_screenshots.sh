#!/usr/bin/env bash
# Takes a screenshot of the help window in each language on a virtual X
# server: help_de.png (German) and help_en.png (English), the window alone
# at its design place.
#
#   scripts/help_screenshots.sh [output folder]     default: build/screenshots
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
  ./scripts/setup.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)" --target show_help_window
  mkdir -p "$out"
  rerun_under_xvfb 800x600x24 "$out"
fi

make_work_folder
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
