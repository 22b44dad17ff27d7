#!/usr/bin/env bash
# preview_paging_memory.sh [PREVIEW_BENCH]
# Paging forward holds one page image at a time: the peak memory of paging through a report of
# 10,000 pages must stay within 1.2 times that of paging through 10. Each count runs in a process
# of its own. Prints both peaks and the ratio; exits 1 when the target is missed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../build/release/bench/preview_bench}
short=$("$bench" --paging-memory 10 2>/dev/null) || { echo "paging 10 pages failed" >&2; exit 2; }
long=$("$bench" --paging-memory 10000 2>/dev/null) || { echo "paging 10000 pages failed" >&2; exit 2; }
ratio=$(echo "scale=3; $long / $short" | bc)
echo "paging memory: 10 pages ${short} KB, 10000 pages ${long} KB, ratio ${ratio} (target <= 1.2)"
[ "$(echo "$ratio <= 1.2" | bc)" -eq 1 ]
