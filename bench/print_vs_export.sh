#!/usr/bin/env bash
# print_vs_export.sh [QRPTOOL] [EMF_DIR]
# Printing a 100-page report on the cups-pdf queue "PDF" against exporting the same report to PDF,
# measured in one run. The report is compressed and made of the real-world metafiles of EMF_DIR
# (default ../shared/corpus/emf), repeated up to 100 pages.
#
# What printing takes, measured two ways:
#   handed over  from the start of "qrptool print" until it ends, which is when the document's
#                Print has drawn every page into the job and CUPS has taken the whole job. This is
#                the program's own work, the same kind as export's (every page decoded and drawn
#                into a PDF; print also reads every page once beforehand so that a damaged report
#                prints nothing). Target: at most 1.5 times "qrptool export".
#   completed    until the queue has finished the job and cups-pdf's file is complete. Most of it
#                is the print server converting the job for the queue (cups-filters' pdftopdf and
#                pdftops, then ghostscript in cups-pdf), which takes as long for any PDF of the
#                same pages; export's own PDF handed to the same queue with lp shows how long.
#                Target: at most 1.5 times export followed by that lp job until it completes.
# Each is the best of three rounds, taken with the queue idle, so that another user's job waiting
# in the queue does not count. Prints the times and ratios; exits 1 when a target is missed, 2
# when the queue or a tool is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-$here/../build/release/src/tools/qrptool}
emfs=${2:-$here/../../shared/corpus/emf}
queue=PDF
rounds=3
pages=100

for t in "$tool" lp lpstat bc; do
  command -v "$t" >/dev/null 2>&1 || [ -x "$t" ] || { echo "missing: $t" >&2; exit 2; }
done
out=${QRP_CUPS_PDF_DIR:-}
if [ -z "$out" ]; then
  out=$("$here/../scripts/print-server" 2>/dev/null) || { echo "no print server with the cups-pdf queue" >&2; exit 2; }
fi
lpstat -p "$queue" >/dev/null 2>&1 || { echo "no queue $queue" >&2; exit 2; }

work=$(mktemp -d)
titles=()
cleanup() {
  rm -rf "$work"
  for t in "${titles[@]}"; do rm -f "$out/$t"[_-]*.pdf; done
}
trap cleanup EXIT

emf_list=("$emfs"/*.emf)
[ -e "${emf_list[0]}" ] || { echo "no metafiles in $emfs" >&2; exit 2; }
list=()
while [ ${#list[@]} -lt $pages ]; do
  for emf in "${emf_list[@]}"; do
    [ ${#list[@]} -lt $pages ] && list+=("$emf")
  done
done
report="$work/report.qrp"
"$tool" build --compress "$report" "${list[@]}" >/dev/null 2>&1 || { echo "cannot build the report" >&2; exit 2; }

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }
min() { echo "if ($1 < $2) $1 else $2" | bc; }

# Waits until the queue has no unfinished job (at most two minutes).
wait_idle() {
  for _ in $(seq 1 1200); do
    [ -z "$(LC_ALL=C lpstat -o "$queue" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  echo "the queue stayed busy; measuring anyway" >&2
}

# Waits until the job titled $1 has completed: cups-pdf names its file after the title and ends
# the name with the job's id, and the file is complete once CUPS lists that job as completed.
wait_job() {
  local title=$1 file id
  for _ in $(seq 1 3000); do
    file=$(ls "$out/$title"[_-]*job_*.pdf 2>/dev/null | head -n 1)
    if [ -n "$file" ]; then
      id=${file##*job_}
      id=${id%.pdf}
      LC_ALL=C lpstat -W completed -o "$queue" 2>/dev/null | grep -q "^$queue-$id " && return 0
    fi
    sleep 0.05
  done
  echo "the job $title did not complete" >&2
  return 1
}

best_export=999999 best_handed=999999 best_completed=999999 best_lp=999999
for round in $(seq 1 $rounds); do
  start=$(now)
  "$tool" export "$report" "$work/export.pdf" >/dev/null 2>&1 || { echo "export failed" >&2; exit 2; }
  best_export=$(min "$best_export" "$(elapsed "$start")")

  wait_idle
  title="qrpbench-print-$$-$round-z"
  titles+=("$title")
  start=$(now)
  "$tool" print "$report" --printer "$queue" --title "$title" >/dev/null 2>"$work/print.err" ||
    { cat "$work/print.err" >&2; exit 2; }
  best_handed=$(min "$best_handed" "$(elapsed "$start")")
  wait_job "$title" || exit 2
  best_completed=$(min "$best_completed" "$(elapsed "$start")")

  wait_idle
  title="qrpbench-lp-$$-$round-z"
  titles+=("$title")
  start=$(now)
  lp -d "$queue" -t "$title" "$work/export.pdf" >/dev/null || exit 2
  wait_job "$title" || exit 2
  best_lp=$(min "$best_lp" "$(elapsed "$start")")
done

ratio() { echo "scale=3; $1 / $2" | bc; }
handed_ratio=$(ratio "$best_handed" "$best_export")
reference=$(echo "$best_export + $best_lp" | bc)
completed_ratio=$(ratio "$best_completed" "$reference")
printf 'print %d pages: export %.2fs; print handed to CUPS %.2fs, ratio %s (at most 1.5)\n' \
  $pages "$best_export" "$best_handed" "$handed_ratio"
printf 'until the PDF is complete: print %.2fs (%.1f x export); export + lp of its PDF %.2fs (export %.2fs + queue %.2fs), ratio %s (at most 1.5)\n' \
  "$best_completed" "$(ratio "$best_completed" "$best_export")" "$reference" "$best_export" \
  "$best_lp" "$completed_ratio"
if [ "$(echo "$handed_ratio <= 1.5 && $completed_ratio <= 1.5" | bc)" = 1 ]; then
  echo "print_vs_export: PASS"
else
  echo "print_vs_export: FAIL"
  exit 1
fi
