"""Prints benchmark times and their ratios to anchors from a Google Benchmark JSON file.

Usage: print_ratios.py OUT.json LABEL=BENCH/ANCHOR ...
Names are the benchmark names without their "/min_time:..." suffixes. Exits
with the error of the first benchmark that failed.
"""
import json
import sys


def main():
    runs = {}
    for b in json.load(open(sys.argv[1]))["benchmarks"]:
        if b.get("error_occurred"):
            sys.exit(f"{b['name']}: {b.get('error_message')}")
        runs[b["name"].split("/")[0]] = b
    for spec in sys.argv[2:]:
        label, pair = spec.split("=", 1)
        name, anchor = pair.split("/")
        t, a = runs[name]["real_time"], runs[anchor]["real_time"]
        print(f"{label}: {t:.0f} ms; {anchor}: {a:.0f} ms; ratio {t / a:.2f}x")


main()
