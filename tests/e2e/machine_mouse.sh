# shellcheck shell=bash
# Shared by the end-to-end tests that need a real window manager: openbox on
# the virtual screen, the program started on it, and clicks and pixels read
# relative to its window. Sourced after common.sh, never run.

fail() { echo "FAIL: $*"; cat "$work/log" 2>/dev/null || true; exit 1; }

# Starts openbox and waits until it names itself on the root window; it is
# ended with the script, after the program. The shared scripts may bring
# their own.
declare -F start_window_manager >/dev/null || start_window_manager() {
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  wm_pid=$!
  trap 'clean_up; kill "$wm_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  return 1
}

# Starts the large open machine at 100, 100 with button 1 holding a sound
# ($data is its data folder) and waits for its window ($window) and outline.
start_machine() {
  export APPDATA="$work/appdata"
  data="$APPDATA/Ostrolab/zirpomat"
  mkdir -p "$data"
  sox -n -r 8000 -c 1 -b 16 "$work/Morning_Show.wav" trim 0 30
  printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n[snds]\r\ns1=%s\r\n' "$work/Morning_Show.wav" >"$data/zpm.ini"
  "$program" >"$work/log" 2>&1 &
  pid=$!
  window=$(wait_for_window) || true
  [ -n "$window" ] || fail "no window"
  [ "$(wait_for_shape "$window" 306x151+0+0)" = "306x151+0+0" ] || fail "no outline at start"
  sleep 0.5
}

screen() {
  local file; file=$(mktemp -p "$work" screenXXXXXX.png)
  import -window root "$file"
  echo "$file"
}

# Clicks with mouse button $3 (default 1) at $1, $2 inside the machine.
click_at() {
  xdotool mousemove $(($(window_left "$window") + $1)) $(($(window_top "$window") + $2)) click "${3:-1}"
}

# Waits up to five seconds until the screen shows the colour $3 at $1, $2.
wait_pixel() {
  for _ in $(seq 50); do
    [ "$(pixel "$(screen)" "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
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
