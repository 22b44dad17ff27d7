#!/usr/bin/env bash
# render_vs_emf2svg.sh QRPTOOL [EMF_DIR]
# Renders every metafile of EMF_DIR (default ../shared/corpus/emf) to PNG at 96 dpi with
# "qrptool render", one process per file, and the same with emf2svg-conv followed by
# rsvg-convert, in one run. qrptool must take at most a fifth of the other pipeline's time.
# Prints both times and the ratio; exits 1 when the target is missed, 2 when a tool is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-$here/../build/release/src/tools/qrptool}
emfs=${2:-$here/../../shared/corpus/emf}
for t in "$tool" emf2svg-conv rsvg-convert; do
  command -v "$t" >/dev/null 2>&1 || [ -x "$t" ] || { echo "missing: $t" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The reports are made first and not timed: the comparison is about drawing.
for emf in "$emfs"/*.emf; do
  name=$(basename "$emf" .emf)
  "$tool" build "$work/$name.qrp" "$emf" >/dev/null 2>&1 || { echo "cannot build $emf" >&2; exit 2; }
done

now() { date +%s.%N; }

start=$(now)
for emf in "$emfs"/*.emf; do
  name=$(basename "$emf" .emf)
  "$tool" render "$work/$name.qrp" --dpi 96 "$work/$name.qrp.png" >/dev/null 2>&1
done
ours=$(echo "$(now) - $start" | bc)

start=$(now)
for emf in "$emfs"/*.emf; do
  name=$(basename "$emf" .emf)
  emf2svg-conv -i "$emf" -o "$work/$name.svg" >/dev/null 2>&1
  rsvg-convert "$work/$name.svg" -o "$work/$name.svg.png" >/dev/null 2>&1
done
theirs=$(echo "$(now) - $start" | bc)

ratio=$(echo "scale=3; $ours / $theirs" | bc)
files=$(ls "$emfs"/*.emf | wc -l)
echo "render $files metafiles: qrptool ${ours}s, emf2svg-conv + rsvg-convert ${theirs}s, ratio $ratio (at most 0.2)"
if [ "$(echo "$ratio <= 0.2" | bc)" = 1 ]; then
  echo "render_vs_emf2svg: PASS"
else
  echo "render_vs_emf2svg: FAIL"
  exit 1
fi
