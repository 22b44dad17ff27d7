#!/usr/bin/python3
"""Checks the speed targets that compare two benchmarks of one run.

usage: check_ratios.py DIR   (DIR holds NAME.json, Google Benchmark's JSON output per program)
Each rule: program, measured benchmark, yardstick benchmark, what is compared, the largest ratio
allowed. Prints every ratio; exits 1 when one is missed or missing."""
import json
import os
import sys

RULES = [
    ("page_store_bench", "BM_EncodeThroughPageList/real_time", "BM_EncodeBareLoop/real_time", "elapsed", 1.25,
     "coding through the page list and the spool stream, against a bare loop (>= 0.8 of its speed)"),
    ("page_store_bench", "BM_DecodeThroughPageList/real_time", "BM_DecodeBareLoop/real_time", "elapsed", 1.25,
     "expanding through the page list and the spool stream, against a bare loop (>= 0.8 of its speed)"),
    ("page_store_bench", "BM_OpenAndFetchFirstPage/10000", "BM_OpenAndFetchFirstPage/10", "time", 1.5,
     "opening a 10,000-page report and fetching page 1, against a 10-page one"),
    ("page_store_bench", "BM_FetchAllInOrder/10000", "BM_FetchAllInOrder/10", "per item", 1.5,
     "fetching every page in order: the cost per page does not grow with the report (no walk)"),
    ("preview_bench", "BM_OpenToShownFirstPage/10000", "BM_OpenToShownFirstPage/10", "time", 1.5,
     "opening a 10,000-page report to a shown first page, against a 10-page one"),
]


def load(directory, program):
    path = os.path.join(directory, program + ".json")
    if not os.path.exists(path):
        return None
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    return {r["name"]: r for r in runs if r.get("run_type", "iteration") == "iteration"}


def cost(run, what):
    if what == "per item":
        return 1.0 / run["items_per_second"]
    if what == "elapsed":
        return run["real_time"]
    return run["cpu_time"]


def main():
    directory = sys.argv[1]
    failed = False
    for program, measured, yardstick, what, limit, text in RULES:
        runs = load(directory, program)
        if runs is None or measured not in runs or yardstick not in runs:
            print(f"MISSING  {program}: {measured} / {yardstick}")
            failed = True
            continue
        ratio = cost(runs[measured], what) / cost(runs[yardstick], what)
        ok = ratio <= limit
        failed |= not ok
        print(f"{'ok      ' if ok else 'MISSED  '}{ratio:6.3f} (<= {limit})  {text}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
