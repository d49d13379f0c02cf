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
# last started ($pid) and the window manager ($wm_pid) are ended first if
# they still run, also when a test held them up, so that nothing is left
# behind on the virtual screen when a step fails.
make_work_folder() {
  work=$(mktemp -d)
  pid=""
  wm_pid=""
  trap clean_up EXIT
}

clean_up() {
  local p
  for p in "$pid" "$wm_pid"; do
    [ -n "$p" ] || continue
    kill "$p" 2>/dev/null || true
    kill -CONT "$p" 2>/dev/null || true # a process held up ends only when let go
    wait "$p" 2>/dev/null || true
  done
  rm -rf "$work"
}

# True when a window manager that follows the extended hints runs on the
# display: the root window names the manager's own check window.
window_manager_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'
}

# Starts openbox on the display (after make_work_folder), with any further
# openbox arguments given, and waits up to ten seconds for it to manage
# windows; fails when it does not come up. A busy X server now and then
# refuses one connection, and openbox then ends at once: it is started again.
start_window_manager() {
  for _ in $(seq 100); do
    [ -n "$wm_pid" ] && kill -0 "$wm_pid" 2>/dev/null || {
      openbox --sm-disable "$@" >"$work/openbox.log" 2>&1 &
      wm_pid=$!
    }
    window_manager_running && return 0
    sleep 0.1
  done
  cat "$work/openbox.log"
  return 1
}

# Ends the program started last ($pid); fails when it had already ended.
stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}

# Waits up to a minute for a window whose name matches the pattern (by
# default the program's main window) to show and prints its window id;
# fails when none shows. Asks again and again, since a busy X server now and
# then refuses one connection.
wait_for_window() {
  local pattern=${1:-'^Zirpomat$'} ids
  for _ in $(seq 600); do
    ids=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null) && [ -n "$ids" ] && {
      echo "${ids%%$'\n'*}"
      return 0
    }
    sleep 0.1
  done
  return 1
}
