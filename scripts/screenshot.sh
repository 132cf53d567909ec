#!/usr/bin/env bash
# Takes the README's picture of the workbench: starts vexa.exe under Wine on a
# virtual X display, sets up one instruction and captures the window
# (workbench_pose.exe), and writes it as a PNG.
#
#   scripts/screenshot.sh WINDOWS_BIN PREFIX_ROOT OUTPUT.png
#
# WINDOWS_BIN holds vexa.exe and workbench_pose.exe. PREFIX_ROOT is a Wine
# prefix root of its own: the workbench runs there without a window manager,
# with the frame Wine draws itself (scripts/wine-run.sh --unmanaged).
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 WINDOWS_BIN PREFIX_ROOT OUTPUT.png" >&2
  exit 2
fi
if [ -z "${VEXA_SCREENSHOT_DISPLAY:-}" ]; then
  # Again, on a virtual display of its own that both programs share.
  exec xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" env VEXA_SCREENSHOT_DISPLAY=1 "$0" "$@"
fi

bin=$(cd "$1" && pwd)
mkdir -p "$2" "$(dirname "$3")"
prefix_root=$(cd "$2" && pwd)
output=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
run=$(cd "$(dirname "$0")" && pwd)/wine-run.sh

"$run" --unmanaged --prepare-only "$prefix_root" "$bin/vexa.exe"
"$run" --unmanaged "$prefix_root" "$bin/vexa.exe" &
workbench=$!
# The pose program writes into the current directory: a path Wine reads as is.
cd "$prefix_root"
status=0
"$run" "$prefix_root" "$bin/workbench_pose.exe" workbench.bmp || status=$?
wait $workbench || true
if [ $status -ne 0 ]; then
  echo "screenshot: the workbench could not be posed or captured" >&2
  exit 1
fi
convert workbench.bmp -strip "$output"
rm -f workbench.bmp
echo "screenshot: wrote $output"
