#!/usr/bin/env python3
"""vexa-asm --batch against GNU as, whole processes on the same machine, run
side by side (alternating, best of five each) over the same 100,000 lines.

Usage: assemble_vs_gnu_as.py BUILD_DIR   (a tree with vexa-asm and vexa-asm-round-trip)

The lines are 32-bit instructions of the decoder sweep (a fixed sample from
vexa-asm-round-trip, those GNU as also takes), repeated to 100,000; Vexa reads
them as its formatter writes them, GNU as in its own syntax (0x numbers, its
names), with `as --32 -msyntax=intel -mnaked-reg`. Prints both times and
`speedup assemble over gnu-as: N.NNx`.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "assembler"))
from gnu_as_agreement import run_as, to_gnu  # noqa: E402

LINES = 100_000
RUNS = 5


def run_timed(command, stdin_path):
    """Wall time and CPU time (user + system) of one whole process."""
    with open(stdin_path) as stdin:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
    child.returncode = 0
    return wall, usage.ru_utime + usage.ru_stime


def main(build):
    vexa_asm = os.path.join(build, "tools", "vexa-asm")
    round_trip = os.path.join(build, "tests", "assembler", "vexa-asm-round-trip")
    with tempfile.TemporaryDirectory() as work:
        sample = os.path.join(work, "sample.tsv")
        subprocess.run([round_trip, "--every", "20", "--sample", "4", sample], check=True, stdout=subprocess.DEVNULL)
        texts = []
        with open(sample) as f:
            for line in f:
                mode, _, text = line.rstrip("\n").split("\t", 2)
                if mode == "32":
                    texts.append(text)
        got, _ = run_as([to_gnu(t) for t in texts], True, work)
        both = [texts[i] for i in sorted(got)]  # the lines GNU as takes too
        lines = [both[i % len(both)] for i in range(LINES)]
        vexa_input = os.path.join(work, "vexa.txt")
        with open(vexa_input, "w") as f:
            f.write("\n".join(lines) + "\n")
        gnu_input = os.path.join(work, "gnu.s")
        with open(gnu_input, "w") as f:
            f.write(".intel_syntax noprefix\n.code32\n" + "\n".join(to_gnu(t) for t in lines) + "\n")
        vexa_command = [vexa_asm, "--batch"]
        gnu_command = ["as", "--32", "-msyntax=intel", "-mnaked-reg", gnu_input, "-o", os.path.join(work, "out.o")]
        vexa_runs, gnu_runs = [], []
        for _ in range(RUNS):
            vexa_runs.append(run_timed(vexa_command, vexa_input))
            gnu_runs.append(run_timed(gnu_command, os.devnull))
        # Best of the runs; CPU time is the measure, since on a shared machine
        # the wall time of a short process is mostly its wait for a core.
        vexa_wall, gnu_wall = min(r[0] for r in vexa_runs), min(r[0] for r in gnu_runs)
        vexa_cpu, gnu_cpu = min(r[1] for r in vexa_runs), min(r[1] for r in gnu_runs)
        print(f"assemble {LINES} lines ({len(both)} distinct), best of {RUNS}: "
              f"vexa-asm --batch {vexa_cpu * 1000:.0f} ms CPU ({vexa_wall * 1000:.0f} ms wall), "
              f"gnu as {gnu_cpu * 1000:.0f} ms CPU ({gnu_wall * 1000:.0f} ms wall)")
        print(f"speedup assemble over gnu-as (wall time): {gnu_wall / vexa_wall:.2f}x")
        print(f"speedup assemble over gnu-as: {gnu_cpu / vexa_cpu:.2f}x")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build/bench")
