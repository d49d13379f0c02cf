#!/usr/bin/env bash
# Measures the time from the program's start to its main window being shown
# (mapped on the X server) on a virtual X server, against a bare Qt window
# of the same size started the same way (benchmarks/startup/bare_window), in
# pairs of runs. Prints each pair, both medians in milliseconds and their
# ratio. Each run of the program starts with a fresh data folder, as a first
# start does.
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
  ./scripts/setup.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)" --target zirpomat bare_window
  rerun_under_xvfb 800x600x24 "$runs"
fi

make_work_folder
export ZPM_AUDIO_SINK=${ZPM_AUDIO_SINK:-fakeaudiosink}

# Starts a program and prints the milliseconds until a window of that name
# is mapped; ends the program again. A start that ends before its window
# shows (a busy X server refuses a connection now and then, and a bare Qt
# program aborts then) is tried again, up to three times.
time_to_window() {
  local name=$1 start shown
  shift
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" 2>/dev/null &
    pid=$!
    # Polled rather than "search --sync", which looks only every half second.
    until xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; do
      kill -0 "$pid" 2>/dev/null || break
    done
    kill -0 "$pid" 2>/dev/null && break
    wait "$pid" 2>/dev/null || true
    pid=""
  done
  [ -n "$pid" ] || { echo "$1 ended before its window showed, three times" >&2; exit 1; }
  shown=$(date +%s%N)
  stop_program
  echo $(((shown - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

program_times=()
bare_times=()
for run in $(seq "$runs"); do
  export APPDATA="$work/appdata$run"
  program_times+=("$(time_to_window '^Zirpomat$' "$build/soundboard/zirpomat")")
  bare_times+=("$(time_to_window '^Bare reference$' "$build/benchmarks/startup/bare_window")")
  echo "run $run: program ${program_times[-1]} ms, bare window ${bare_times[-1]} ms"
done
program=$(median "${program_times[@]}")
bare=$(median "${bare_times[@]}")
echo "median of $runs runs: program $program ms, bare window $bare ms, ratio $(awk "BEGIN { printf \"%.2f\", $program / $bare }")"
