#!/usr/bin/env bash
# Measures the time from the program's start to its main window being shown
# (mapped on the X server) on a virtual X server, over several runs, and
# prints each run and the median in milliseconds. Each run starts with a
# fresh data folder, as a first start does.
#
#   scripts/startup_time.sh [runs]     default: 9
#
# ZPM_BUILD_DIR names another build folder (default: build).
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib/xvfb.sh
source "$(dirname "$0")/lib/xvfb.sh"
cd "$(dirname "$0")/.."
build=${ZPM_BUILD_DIR:-build}
runs=${1:-9}

if ! inside_xvfb; then
  build_program "$build"
  rerun_under_xvfb 800x600x24 "$runs"
fi

make_work_folder
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}

times=()
for run in $(seq "$runs"); do
  export APPDATA="$work/appdata$run"
  start=$(date +%s%N)
  "$build/soundboard/zirpomat" 2>/dev/null &
  pid=$!
  # Polled rather than "search --sync", which looks only every half second.
  until xdotool search --onlyvisible --name '^Zirpomat$' >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its window showed"; exit 1; }
  done
  shown=$(date +%s%N)
  stop_program
  ms=$(( (shown - start) / 1000000 ))
  times+=("$ms")
  echo "run $run: $ms ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
echo "median of $runs runs: $median ms"
