#!/usr/bin/env bash
# Starts the real program under Xvfb with a report on its command line, takes a screenshot, checks
# that a page is drawn in the preview window, closes the window with Escape and expects the program
# to end by itself. Exit 77 (skipped) when Xvfb or its tools are missing.
set -u
qrpview=$1
report=$2
for tool in xvfb-run xdotool import /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  qrpview=$1 report=$2 work=$3
  "$qrpview" "$report" 2>"$work/stderr" &
  pid=$!
  if ! timeout 30 xdotool search --sync --onlyvisible --name "Print Preview" >"$work/window"; then
    echo "no preview window appeared"; cat "$work/stderr"; kill $pid; exit 1
  fi
  sleep 2  # let the first page paint
  import -window root "$work/shot.png"
  xdotool windowfocus --sync "$(head -n 1 "$work/window")" key Escape
  for _ in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then echo "the program did not end when its preview closed"; kill $pid; exit 1; fi
  wait $pid
' bash "$qrpview" "$report" "$work"
status=$?
[ $status -eq 0 ] || exit $status

# The page: a white sheet framed in black, with ink on it (text and lines of the report).
/usr/bin/python3 - "$work/shot.png" <<'PY'
import sys
from PIL import Image
import numpy as np
shot = np.asarray(Image.open(sys.argv[1]).convert("L"), dtype=int)
white = shot >= 250
rows = np.where(white.sum(axis=1) > 200)[0]
cols = np.where(white.sum(axis=0) > 200)[0]
if len(rows) < 200 or len(cols) < 200:
    sys.exit("no page-sized white area in the screenshot")
page = shot[rows.min():rows.max() + 1, cols.min():cols.max() + 1]
ink = (page < 128).sum()
print(f"page area {page.shape[1]}x{page.shape[0]} px, {ink} ink pixels")
if ink < 500:
    sys.exit("the page shows no drawing")
PY
