# shellcheck shell=bash
# Shared by the end-to-end tests: they run the program under test on a
# virtual X server and read what it shows from the screen. Sourced, never run.
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"

# Ends the test as skipped (exit 77) when one of the tools is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
}

# "r,g,b" of one pixel of a picture file, whatever colour form the file keeps.
pixel() {
  convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# The window's shape extents as the X server has them ("WxH+X+Y"), waiting
# up to ten seconds for them to become the expected ones: the shape is
# applied when the window is first shown.
wait_for_shape() {
  local window=$1 expected=$2 extents=""
  for _ in $(seq 100); do
    extents=$(xwininfo -shape -id "$window" | sed -n 's/.*Window shape extents: *//p')
    [ "$extents" = "$expected" ] && break
    sleep 0.1
  done
  echo "$extents"
}

# The window's top-left corner on the screen.
window_left() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p'; }
window_top() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p'; }
