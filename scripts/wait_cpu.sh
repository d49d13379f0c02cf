#!/usr/bin/env bash
# Measures the program's CPU use while presses wait, on a virtual X server
# with the real window driven by xdotool: a main sound playing with nothing
# waiting (the reference), a 30 s jingle's wait in talk-over mode, a
# fade-out, and a fade over's wait. Prints each as a share of one core.
#
#   scripts/wait_cpu.sh
#
# ZPM_BUILD_DIR names another build folder (default: build).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib/xvfb.sh
source "$(dirname "$0")/lib/xvfb.sh"
cd "$(dirname "$0")/.."
build=${ZPM_BUILD_DIR:-build}

if ! inside_xvfb; then
  build_program "$build"
  rerun_under_xvfb 1024x768x24
fi

make_work_folder
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}
export APPDATA="$work/appdata"
data="$APPDATA/Ostrolab/zirpomat"
mkdir -p "$data"
sox -n -r 44100 -c 2 -b 16 "$work/main.wav" synth 120 sine 440 vol 0.3
sox -n -r 44100 -c 2 -b 16 "$work/jingle.wav" synth 30 sine 660 vol 0.3
printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n[snds]\r\ns1=%s\r\ns2=%s\r\ns3=%s\r\n' \
  "$work/main.wav" "$work/jingle.wav" "$work/main.wav" >"$data/zpm.ini"

"$build/soundboard/zirpomat" >/dev/null 2>&1 &
pid=$!
window=$(wait_for_window)
x=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left X: *//p')
y=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left Y: *//p')
sleep 1

# A press on large-panel button n, with the mouse button and held keys given.
press() {
  local n=$1 which=$2
  shift 2
  xdotool mousemove $((x + 13 + (n - 1) % 15 * 19 + 9)) $((y + 34 + (n - 1) / 15 * 19 + 9))
  for key in "$@"; do xdotool keydown "$key"; done
  xdotool click "$which"
  for key in "$@"; do xdotool keyup "$key"; done
}

ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# The program's CPU time over the next $2 seconds, as a share of one core.
measure() {
  local before after
  before=$(ticks)
  sleep "$2"
  after=$(ticks)
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$2" -v what="$1" \
    'BEGIN { printf "%-34s %5.1f %% of one core over %s s\n", what, 100 * t / hz / s, s }'
}

press 1 1
sleep 1
measure "main sound playing, no wait" 10

press 1 3 Shift_L  # talk-over on: the main sound goes down
sleep 2
press 2 1          # a jingle: the press waits for its end
measure "jingle's wait (talk-over mode)" 28
sleep 3

press 1 1          # stops, and ends talk-over mode
press 1 1
sleep 1
press 1 3 Alt_L    # fade-out, 4.2 s from the normal level
measure "fade-out" 4
sleep 1

press 1 1
sleep 1
press 3 1 Alt_L    # fade over: the press waits for the fade's end
measure "fade over's wait" 4
kill -0 "$pid" || { echo "the program ended during the measurement"; exit 1; }
