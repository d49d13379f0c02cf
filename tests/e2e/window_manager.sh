#!/usr/bin/env bash
# Under a real window manager (openbox on a virtual X server):
# - the machine, minimised by Esc, restored from outside and answered No,
#   comes back normal, on the screen, shaped and titled "Zirpomat";
# - a shaped window of the forms runtime (the probe) set above others gets
#   the window manager's above state and keeps its window, place, map state
#   and shape; the state survives hiding and showing, and goes again when
#   asked;
# - the probe is dragged by its surface with each mouse button and stops
#   following the mouse when that button is let go.
# Exit 77: the tools are missing.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=common.sh
source "$(dirname "$0")/common.sh"

program=$1
assets=$2
probe=$3

if ! inside_xvfb; then
  require_tools xvfb-run openbox xdotool xprop xwininfo xdpyinfo import convert
  rerun_under_xvfb 1024x768x24 "$program" "$assets" "$probe"
fi

make_work_folder
start_window_manager || { echo "FAIL: openbox does not come up"; exit 1; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# --- the machine: Esc, restore, No ---
export APPDATA="$work/appdata"
mkdir -p "$APPDATA/Ostrolab/zirpomat"
printf '[ppos]\r\nyp=1500\r\nxp=1500\r\nmp=1\r\n' >"$APPDATA/Ostrolab/zirpomat/zpm.ini"
LANG=de "$program" >"$work/log" 2>&1 &
pid=$!
window=$(wait_for_window) || { echo "FAIL: no window"; cat "$work/log"; exit 1; }
wait_for_shape "$window" 306x151+0+0 >/dev/null
xdotool key Escape
for _ in $(seq 100); do
  [ "$(xprop -id "$window" WM_STATE | sed -n 's/.*window state: *//p')" = Iconic ] && break
  sleep 0.1
done
[ "$(xprop -id "$window" WM_STATE | sed -n 's/.*window state: *//p')" = Iconic ] || fail "Esc does not minimise the machine"
# Restored from outside, as a task bar does; the program asks whether to end.
xdotool windowactivate "$window"
box=$(wait_for_window '^Rechner$') || true
if [ -z "$box" ]; then
  fail "no question after the restore: the machine is \"$(xdotool getwindowname "$window")\", $(xprop -id "$window" WM_STATE | tr -s '\n\t' '  ')"
else
  xdotool key Escape # No
  seen=$(wait_until_normal_on_screen "$window") || fail "the machine does not come back normal: $seen"
  [ "$(xdotool getwindowname "$window")" = Zirpomat ] || fail "title after No: $(xdotool getwindowname "$window")"
  [ "$(wait_for_shape "$window" 306x151+0+0)" = 306x151+0+0 ] || fail "the machine's shape is gone after No"
fi
stop_program

# --- the probe: above state and dragging ---
coproc PROBE { "$probe" 2>"$work/probe.log"; }
pid=$PROBE_PID
read -r -t 30 -u "${PROBE[0]}" line || { echo "FAIL: the probe does not start"; cat "$work/probe.log"; exit 1; }
probe_window=${line#window }
ask() {
  echo "$1" >&"${PROBE[1]}"
  read -r -t 10 -u "${PROBE[0]}" answer
  echo "$answer"
}
[ "$(wait_for_shape "$probe_window" 200x100+0+0)" = 200x100+0+0 ] || fail "the probe is not shaped"
wait_until_normal_on_screen "$probe_window" >/dev/null || fail "the probe is not shown"
left=$(window_left "$probe_window")
top=$(window_top "$probe_window")

# Waits until the above state is there ($1 = 1) or gone ($1 = 0).
wait_above() {
  for _ in $(seq 50); do
    local now=0
    window_states "$probe_window" | grep -qx _NET_WM_STATE_ABOVE && now=1
    [ "$now" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
# The probe is an L: its lower right quarter shows the desktop.
kept_as_it_was() {
  local screen="$work/probe-$1.png"
  import -window root "$screen"
  [ "$(xwininfo -id "$probe_window" | sed -n 's/.*Map State: *//p')" = IsViewable ] || fail "$1: no longer shown"
  [ "$(window_left "$probe_window"),$(window_top "$probe_window")" = "$left,$top" ] || fail "$1: moved"
  [ "$(xwininfo -shape -id "$probe_window" | sed -n 's/.*Window shape extents: *//p')" = 200x100+0+0 ] ||
    fail "$1: shape extents changed"
  [ "$(pixel "$screen" $((left + 50)) $((top + 75)))" = 255,0,0 ] || fail "$1: the probe's foot is not drawn"
  [ "$(pixel "$screen" $((left + 150)) $((top + 75)))" != 255,0,0 ] || fail "$1: the cut-out corner is drawn"
  [ "$(xdotool search --name '^Probe$' | head -n 1)" = "$probe_window" ] || fail "$1: another window"
}

[ "$(ask above)" = 1 ] || fail "SetWindowPos HWND_TOPMOST failed"
wait_above 1 || fail "no _NET_WM_STATE_ABOVE after HWND_TOPMOST"
kept_as_it_was above
ask hide >/dev/null
ask show >/dev/null
wait_above 1 || fail "the above state is lost by hiding and showing"
wait_until_normal_on_screen "$probe_window" >/dev/null || fail "the probe is not shown again"
[ "$(ask notabove)" = 1 ] || fail "SetWindowPos HWND_NOTOPMOST failed"
wait_above 0 || fail "_NET_WM_STATE_ABOVE stays after HWND_NOTOPMOST"
kept_as_it_was notabove

# Dragged by its surface with each button: follows the mouse while the
# button is held, stays where it was let go.
for button in 1 2 3; do
  x=$(window_left "$probe_window")
  y=$(window_top "$probe_window")
  xdotool mousemove $((x + 50)) $((y + 25))
  sleep 0.2
  xdotool mousedown "$button"
  sleep 0.3
  xdotool mousemove $((x + 100)) $((y + 65))
  sleep 0.2
  xdotool mousemove $((x + 150)) $((y + 105))
  sleep 0.3
  xdotool mouseup "$button"
  sleep 0.3
  xdotool mousemove 900 700
  sleep 0.3
  moved="$(window_left "$probe_window"),$(window_top "$probe_window")"
  [ "$moved" = "$((x + 100)),$((y + 80))" ] || fail "button $button: dragged from $x,$y to $moved, not by 100,80"
done

ask quit >/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
[ "$failed" -eq 0 ] && echo "restored normal after No; above state kept the window as it was; dragged with every button"
exit "$failed"
