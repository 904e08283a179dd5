#!/usr/bin/env python3
"""Prints the median time of my_itoa (or to_fixed_digits) over that of each
peer, case by case.

Reads the JSON that digits_bench writes with --benchmark_format=json and
--benchmark_repetitions, from a file or standard input.
"""
import json
import sys

medians = {}
with open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin as report:
    for run in json.load(report)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            contender, case = run["run_name"].split("/", 1)
            medians.setdefault(case, {})[contender] = run["real_time"]

print(f"{'case':40} {'ours ns':>10} {'/ to_chars':>10} {'/ snprintf':>10}")
for case, times in medians.items():
    ours = times.get("my_itoa", times.get("to_fixed_digits"))
    ratios = [f"{ours / times[peer]:10.2f}" if peer in times else f"{'-':>10}"
              for peer in ("to_chars", "snprintf")]
    print(f"{case:40} {ours:10.2f} {' '.join(ratios)}")
