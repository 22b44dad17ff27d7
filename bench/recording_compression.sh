#!/usr/bin/env bash
# recording_compression.sh [RECORDING_BENCH] [PAGES]
# Compressing the sample report while it is recorded costs at most 1.5 times the time of a plain
# recording (elapsed time, what the generator waits), and the compressed file is at most half the
# size of the plain one. Both are measured in one process, in turns, best of five. Prints times, sizes and ratios; exits 1 when a
# target is missed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../build/release/bench/recording_bench}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$bench" --compression "${2:-200}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
