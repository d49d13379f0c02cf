# shellcheck shell=bash
# Shared by the scripts and end-to-end tests that run the program on a
# virtual X server. Sourced, never run; callers set -euo pipefail.

# The calling script's full path, taken before it changes folder, so that
# its rerun finds it wherever it was started from.
calling_script=$(realpath "$0")

# True in the copy of a script that rerun_under_xvfb started.
inside_xvfb() { [ "${ZPM_INSIDE_XVFB:-}" = 1 ]; }

# Runs the calling script again with the given arguments on a virtual X
# server with one screen of the given size (WIDTHxHEIGHTxDEPTH); never
# returns.
rerun_under_xvfb() {
  local screen=$1
  shift
  ZPM_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 $screen" bash "$calling_script" "$@"
}

# Installs what the build needs and builds the program in the given build
# folder; run from the top of the repository.
build_program() {
  ./scripts/setup.sh
  cmake -S . -B "$1" -G Ninja >/dev/null
  cmake --build "$1" -j "$(nproc)" --target zirpomat
}

# A fresh temporary folder in $work. At exit it is removed, and the program
# last started ($pid) is ended first if it still runs, so that no window is
# left behind on the virtual screen when a step fails.
make_work_folder() {
  work=$(mktemp -d)
  pid=""
  trap clean_up EXIT
}

clean_up() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}

# Ends the program started last ($pid); fails when it had already ended.
stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}

# Waits up to a minute for the program's main window to show and prints its
# window id; fails when none shows.
wait_for_window() {
  local ids
  ids=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zirpomat$') || return 1
  echo "${ids%%$'\n'*}"
}
