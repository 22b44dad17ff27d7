#!/usr/bin/env bash
# recording_memory.sh [RECORDING_BENCH]
# A recording holds about one page in memory: finished pages go to the spool, which moves to a
# temporary file past 100000 bytes. The peak memory of recording 10,000 pages of the sample report
# must stay within 1.2 times that of recording 100, plain and compressed. Each recording runs in a
# process of its own. Prints the peaks and ratios; exits 1 when a target is missed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../build/release/bench/recording_bench}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
for mode in "" --compress; do
  short=$("$bench" --record-memory 100 $mode 2>/dev/null) || { echo "recording 100 pages failed" >&2; exit 2; }
  long=$("$bench" --record-memory 10000 $mode 2>/dev/null) || { echo "recording 10000 pages failed" >&2; exit 2; }
  ratio=$(echo "scale=3; $long / $short" | bc)
  echo "recording memory${mode:+ ($mode)}: 100 pages ${short} KB, 10000 pages ${long} KB, ratio ${ratio} (target <= 1.2)"
  [ "$(echo "$ratio <= 1.2" | bc)" -eq 1 ] || status=1
done
exit $status
