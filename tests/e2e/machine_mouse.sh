# shellcheck shell=bash
# Shared by the end-to-end tests that need a real window manager: openbox on
# the virtual screen, the program started on it, and clicks and pixels read
# relative to its window. Sourced after common.sh, never run.

# Starts the large open machine at 100, 100 with button 1 holding a sound
# ($data is its data folder) and waits for its window ($window) and outline.
start_machine() {
  silent_sound "$work/Morning_Show.wav" 30
  settings_with_sounds "$work/Morning_Show.wav"
  start_large_machine
  sleep 0.5
}

# Clicks with mouse button $3 (default 1) at $1, $2 inside the machine.
click_at() {
  xdotool mousemove $(($(window_left "$window") + $1)) $(($(window_top "$window") + $2)) click "${3:-1}"
}

# Waits up to five seconds until the window's property $1 matches $2 (grep
# -E), or with $3 = "not" until it no longer does.
wait_property() {
  for _ in $(seq 50); do
    if xprop -id "$window" "$1" | grep -qE "$2"; then [ "${3:-}" != not ] && return 0
    else [ "${3:-}" = not ] && return 0; fi
    sleep 0.1
  done
  return 1
}

# The script's run on a virtual screen with openbox: the tools checked, the
# window manager started and the machine started on it.
start_machine_on_window_manager() {
  if ! inside_xvfb; then
    require_tools xvfb-run xdotool xwininfo xprop import convert sox openbox
    rerun_under_xvfb 1024x768x24 "$program" "$assets"
  fi
  make_work_folder
  start_window_manager || fail "openbox did not start"
  start_machine
}
