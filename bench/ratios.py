#!/usr/bin/env python3
"""Prints the median time of bitsplit over that of each peer, case by case.

Reads the JSON that digits_bench writes with --benchmark_format=json and
--benchmark_repetitions, from a file or standard input. Names are
contender/type/width/base[/too_long]/context; a case through a function
pointer is set against to_chars called in the loop (context runtime), so that
its ratio shows what running out of line costs.
"""
import json
import sys

medians = {}
with open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin as report:
    for run in json.load(report)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            contender, case = run["run_name"].split("/", 1)
            medians.setdefault(case, {})[contender] = run["real_time"]

print(f"{'case':32} {'ns':>8} {'/ to_chars':>10} {'/ snprintf':>10}")
for case in sorted(medians, key=lambda name: name.rsplit("/", 1)[::-1]):
    times = medians[case]
    peer_case = case.replace("/pointer", "/runtime")
    peers = [medians.get(peer_case, {}).get("to_chars"), times.get("snprintf")]
    ratios = [f"{times['bitsplit'] / peer:10.2f}" if peer else f"{'-':>10}" for peer in peers]
    print(f"{case:32} {times['bitsplit']:8.2f} {' '.join(ratios)}")
