#!/usr/bin/env python3
"""Reads the JSON of one vexa_bench run and prints, per benchmark, the time per
instruction and the throughput, then the speedups over the peers (peer time per
pass over the same bytes / Vexa's, medians of the same run), on the synthetic
corpus and on the real-code one, and the cost of one Refresh()."""
import json
import sys

NS_PER_UNIT = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def medians(report):
    """Median CPU time (ns per iteration) and counters of each benchmark."""
    rows = {}
    for entry in report["benchmarks"]:
        aggregate = entry.get("aggregate_name")
        if aggregate not in (None, "median") or entry.get("error_occurred"):
            continue
        name = entry.get("run_name", entry["name"])
        if aggregate is None and name in rows:
            continue  # a plain run never replaces a median
        rows[name] = {
            "ns": entry["cpu_time"] * NS_PER_UNIT[entry["time_unit"]],
            "items": entry.get("items_per_second"),
            "bytes": entry.get("bytes_per_second"),
        }
    return rows


def main(path):
    with open(path) as f:
        report = json.load(f)
    rows = medians(report)
    context = report["context"]

    # On real code each decoder walks its own count of instructions: the time
    # per instruction is by the decoder's own count (its items).
    for name, row in rows.items():
        if row["bytes"] is None:
            print(f"{name:24s} {row['ns']:10.1f} ns per call")
        else:
            print(f"{name:24s} {1e9 / row['items']:8.2f} ns/instruction "
                  f"{row['bytes'] / 1e6:9.1f} MB/s {row['items'] / 1e6:8.2f} M instructions/s")
    if "real_corpus" in context:
        print(f"real corpus: {context['real_corpus']}, {context['real_corpus_bytes']} bytes; walked: "
              f"vexa {context['real_walked_vexa']}, zydis {context['real_walked_zydis']}, "
              f"capstone {context['real_walked_capstone']}")
    else:
        print("real corpus: missing, the synthetic corpus alone was benched")

    def ratio(peer, vexa):
        if peer not in rows or vexa not in rows:
            return "n/a"
        return f"{rows[peer]['ns'] / rows[vexa]['ns']:.2f}x"

    print(f"speedup decode over zydis: {ratio('ZydisDecode', 'VexaDecode')}")
    print(f"speedup format over zydis: {ratio('ZydisDecodeFormat', 'VexaDecodeFormat')}")
    print(f"speedup format over capstone: {ratio('CapstoneDetailOff', 'VexaDecodeFormat')}")
    print(f"speedup decode over zydis (real): {ratio('ZydisDecodeReal', 'VexaDecodeReal')}")
    print(f"speedup format over zydis (real): {ratio('ZydisDecodeFormatReal', 'VexaDecodeFormatReal')}")
    print(f"speedup format over capstone (real): {ratio('CapstoneDetailOffReal', 'VexaDecodeFormatReal')}")
    refresh = rows.get("ComposerRefresh")
    print(f"refresh ns: {round(refresh['ns']) if refresh else 'n/a'}")


if __name__ == "__main__":
    main(sys.argv[1])
