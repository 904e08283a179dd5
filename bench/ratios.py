#!/usr/bin/env python3
"""Prints the median time of bitsplit over that of each peer, case by case.

Reads the JSON that digits_bench writes with --benchmark_format=json and
--benchmark_repetitions, from a file or standard input. Names are
contender/type[/read]/width/base[/groupN][/upper][/too_long]/context; a case
through a function pointer is set against to_chars called in the loop
(context runtime), so that its ratio shows what running out of line costs;
the template form against to_chars with a constant case, a prepared format
against to_chars in the run-time context.
A reading case is set against from_chars. A grouped or upper-case case is
set against the same case without its style, in the same context. The
last column is to_fixed_chars (bitsplit_chars) over the terminated form.
"""
import json
import re
import sys

medians = {}
with open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin as report:
    for run in json.load(report)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            contender, case = run["run_name"].split("/", 1)
            medians.setdefault(case, {})[contender] = run["real_time"]


def ratio(time, peer):
    return f"{time / peer:10.2f}" if time and peer else f"{'-':>10}"


print(f"{'case':36} {'ns':>8} {'/ peer':>10} {'/ snprintf':>10} {'/ plain':>10} {'chars':>10}")
for case in sorted(medians, key=lambda name: name.rsplit("/", 1)[::-1]):
    times = medians[case]
    plain_case = re.sub(r"/(group\d+|upper)", "", case)
    peer_case = (plain_case.replace("/pointer", "/runtime").replace("/prepared", "/runtime")
                 .replace("/template", "/constant"))
    peers = medians.get(peer_case, {})
    to_chars = peers.get("to_chars", peers.get("from_chars"))
    plain = medians.get(plain_case, {}).get("bitsplit") if plain_case != case else None
    print(f"{case:36} {times['bitsplit']:8.2f} {ratio(times['bitsplit'], to_chars)} "
          f"{ratio(times['bitsplit'], times.get('snprintf'))} {ratio(times['bitsplit'], plain)} "
          f"{ratio(times.get('bitsplit_chars'), times['bitsplit'])}")
