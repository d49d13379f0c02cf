#!/usr/bin/env bash
# Drives the real program on a virtual X server with random left clicks on
# the large machine's sound buttons (15 columns x 5 rows of 19-pixel
# buttons from window pixel 13,34, each assigned a short WAV or MIDI sound)
# for the given time, and prints the program's resident memory, open file
# descriptors and threads every 10 seconds, then the growth over the run.
#
#   scripts/soak.sh [seconds]     default: 300
#
# ZPM_BUILD_DIR names another build folder (default: build); ZPM_PROGRAM
# names another program to drive (an older build, for comparison).
# ZPM_SOAK_CLICK_PAUSE is the pause between clicks in seconds (default 0.35,
# about 3,400 clicks in 20 minutes).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib/xvfb.sh
source "$(dirname "$0")/lib/xvfb.sh"
cd "$(dirname "$0")/.."
build=${ZPM_BUILD_DIR:-build}
seconds=${1:-300}

if ! inside_xvfb; then
  [ -n "${ZPM_PROGRAM:-}" ] || build_program "$build"
  rerun_under_xvfb 1024x768x24 "$seconds"
fi
program=${ZPM_PROGRAM:-$build/soundboard/zirpomat}
pause=${ZPM_SOAK_CLICK_PAUSE:-0.35}

make_work_folder
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}
export APPDATA="$work/appdata"
data="$APPDATA/Ostrolab/zirpomat"
mkdir -p "$data"

# The sounds: tones of one to four seconds and a MIDI note of 2.5 seconds
# (one quarter at 96 ticks is half a second at the default tempo).
sounds=()
for length in 1 2 3 4; do
  sox -n -r 22050 -c 1 -b 16 "$work/tone$length.wav" synth "$length" sine 440 vol 0.1
  sounds+=("$work/tone$length.wav")
done
printf 'MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0d\0\x90\x3c\x40\x83\x60\x80\x3c\x40\0\xff\x2f\0' >"$work/note.mid"
sounds+=("$work/note.mid")
{
  printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n[snds]\r\n'
  for button in $(seq 75); do printf 's%d=%s\r\n' "$button" "${sounds[$((button % ${#sounds[@]}))]}"; done
} >"$data/zpm.ini"

"$program" >"$work/log" 2>&1 &
pid=$!
window=$(wait_for_window) || { echo "no window"; cat "$work/log"; exit 1; }
x=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left X: *//p')
y=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left Y: *//p')

rss_mb() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status"; }
sample() {
  printf '%5d s  RSS %7s MB  fds %4d  threads %3d  clicks %5d\n' "$1" "$(rss_mb)" \
    "$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l)" \
    "$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status")" "$clicks"
}

clicks=0
start=$(date +%s)
first_rss=$(rss_mb)
sample 0
next=10
while :; do
  elapsed=$(($(date +%s) - start))
  [ "$elapsed" -lt "$seconds" ] || break
  kill -0 "$pid" 2>/dev/null || { echo "the program ended"; cat "$work/log"; exit 1; }
  button=$((RANDOM % 75))
  xdotool mousemove $((x + 13 + button % 15 * 19 + 9)) $((y + 34 + (button / 15) * 19 + 9)) click 1 2>/dev/null || true
  clicks=$((clicks + 1))
  sleep "$pause"
  if [ "$elapsed" -ge "$next" ]; then
    sample "$elapsed"
    next=$((next + 10))
  fi
done
sample "$seconds"
echo "RSS from $first_rss MB to $(rss_mb) MB after $clicks clicks in $seconds s"
stop_program
