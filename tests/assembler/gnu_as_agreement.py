#!/usr/bin/env python3
"""vexa-asm against GNU as on a sample of the sweep's instructions.

Usage: gnu_as_agreement.py ROUND_TRIP VEXA_DECODE [--every N] [--sample N] [--show N]

ROUND_TRIP (vexa-asm-round-trip) writes a deterministic sample of the sweep's
texts with the bytes Vexa assembles for them. Each text is rewritten in GNU as
syntax (hex numbers with 0x, GNU's names for a few mnemonics and size
keywords), assembled by `as --32 -msyntax=intel -mnaked-reg` (".code16" for
16-bit code), and the bytes are compared. Texts that as refuses are skipped
and counted. Every difference must fall in one of the classes below (the list
in docs/assembler.md); the test fails on any other.
"""
import os
import re
import subprocess
import sys
import tempfile

# Vexa's mnemonic -> GNU as's for the same bytes (the peers' spellings of
# docs/decoder-differences.md, the other way round).
GNU_MNEMONIC = {
    "retn": "ret", "fld2e": "fldl2e", "fld2t": "fldl2t", "wait": "fwait", "fstsw": "fnstsw",
    "fstenv": "fnstenv", "fstcw": "fnstcw", "fsave": "fnsave", "fclex": "fnclex", "finit": "fninit",
    "feni": "fneni", "fdisi": "fndisi", "xlat": "xlatb",
}
# Size keywords GNU as spells otherwise, or takes from the mnemonic.
GNU_SIZE = {"(48-bit) ptr ": "fword ptr ", "(6-bytes) ptr ": "fword ptr ", "(14-bytes) ptr ": "",
            "(28-bytes) ptr ": "", "(108-bytes) ptr ": ""}
SIZE_INVARIANT = {"cbw", "cwd", "pusha", "popa", "pushf", "popf", "iret"}
SEGMENT_PREFIXES = {"26": "es", "2E": "cs", "36": "ss", "3E": "ds", "64": "fs", "65": "gs"}
PREFIX_BYTES = set(SEGMENT_PREFIXES) | {"66", "67", "F0", "F2", "F3"}


def to_gnu(text):
    mnemonic_text, _, operands = text.partition("\t")
    words = mnemonic_text.split(" ")
    words[-1] = GNU_MNEMONIC.get(words[-1], words[-1])
    for vexa, gnu in GNU_SIZE.items():
        operands = operands.replace(vexa, gnu)
    far = re.fullmatch(r"([0-9A-F]+):([0-9A-F]+)", operands)
    if far:
        words[-1] = {"jmp": "ljmp", "call": "lcall"}.get(words[-1], words[-1])
        operands = f"0x{far.group(1)}, 0x{far.group(2)}"
    else:
        # Hex numbers (not the decimal scale after "*", nor a register's digits).
        operands = re.sub(r"(?<![\w*(])([0-9][0-9A-F]*)\b", r"0x\1", operands)
    return " ".join(words) + (" " + operands if operands else "")


def run_as(lines, is32, workdir):
    path = os.path.join(workdir, f"sample{32 if is32 else 16}.s")
    listing = path + ".lst"
    # The directive as well as the options: binutils 2.40 parses a segment
    # override ("fs:[ebx]") under -msyntax=intel -mnaked-reg only with it.
    header = [".intel_syntax noprefix", ".code32" if is32 else ".code16"]
    with open(path, "w") as f:
        f.write("\n".join(header + lines) + "\n")
    result = subprocess.run(["as", "--32", "-msyntax=intel", "-mnaked-reg", f"-al={listing}", path,
                             "-o", os.path.join(workdir, "sample.o")], capture_output=True, text=True)
    refused = set()
    for line in result.stderr.splitlines():
        m = re.match(r".*?:(\d+): Error:", line)
        if m:
            refused.add(int(m.group(1)) - len(header) - 1)
    got = {}
    with open(listing) as f:
        for line in f:
            m = re.match(r"^\s*(\d+) (?:[0-9A-F?]{4}| {4}) ([0-9A-F]+)", line)
            if m:
                index = int(m.group(1)) - len(header) - 1
                got[index] = got.get(index, "") + m.group(2)
    return {i: " ".join(b[k:k + 2] for k in range(0, len(b), 2)) for i, b in got.items() if i not in refused}, refused


def vexa_reading(decode, byte_strings, is32):
    """Vexa's instruction line for each byte string."""
    result = subprocess.run([decode, "--batch", "--32" if is32 else "--16"], input="\n".join(byte_strings) + "\n",
                            capture_output=True, text=True)
    out = result.stdout.splitlines()
    return [out[2 * i] for i in range(len(byte_strings))]


def leading_prefixes(byte_list):
    n = 0
    while n < len(byte_list) and byte_list[n] in PREFIX_BYTES:
        n += 1
    return byte_list[:n], byte_list[n:]


def classify(text, vexa, gnu, gnu_reading, is32):
    """The class of a difference, or None when none explains it."""
    mnemonic_text, _, operands = text.partition("\t")
    mnemonic = mnemonic_text.split(" ")[-1]
    vb, gb = vexa.split(" "), gnu.split(" ")
    (vp, vrest), (gp, grest) = leading_prefixes(vb), leading_prefixes(gb)
    if vrest == grest and sorted(vp) == sorted(gp):
        return "prefix-order"
    if gnu_reading == text:
        return "tie" if len(gb) == len(vb) else "shorter-same-text" if len(gb) > len(vb) else None
    # A fixed-width address or far pointer whose digits give the other width.
    short_digits = r"(\[0?[0-9A-F]{4}\]|^[0-9A-F]+:0?[0-9A-F]{4}$)"
    long_digits = r"(\[0?[0-9A-F]{8}\]|^[0-9A-F]+:0?[0-9A-F]{8}$)"
    if re.search(short_digits if is32 else long_digits, operands):
        return "width-from-digits"
    # In 16-bit code GNU as cuts a value wider than 16 bits down to 16.
    if not is32 and len(gb) < len(vb) and any(int(n, 16) > 0xFFFF for n in re.findall(r"(?<![\w*(])[0-9][0-9A-F]*", operands)):
        return "as-truncates-to-16-bits"
    if mnemonic in SIZE_INVARIANT:
        return "size-invariant-names"
    if mnemonic == "sal":
        return "shift-group-sal"
    if mnemonic in ("test", "xchg"):
        return "test-xchg-order"
    if mnemonic in ("sldt", "str", "smsw", "lmsw", "lar", "lsl"):
        return "system-operand-widths"
    if re.search(r"\((14|28|108)-bytes\) ptr", operands):
        return "environment-size"
    # GNU as leaves out a segment override that is the default one anyway.
    dropped = [p for p in vp if p in SEGMENT_PREFIXES]
    if dropped and sorted(p for p in vp if p not in dropped) == sorted(gp) and vrest == grest:
        return "default-segment-dropped"
    if re.search(r"\+0\]", operands) and len(gb) < len(vb):
        return "zero-displacement-dropped"
    return None


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__)
        return 2
    round_trip, decode = args[0], args[1]
    options = dict(zip(args[2::2], args[3::2]))
    every, sample, show = options.get("--every", "20"), options.get("--sample", "8"), int(options.get("--show", "5"))
    with tempfile.TemporaryDirectory() as workdir:
        sample_path = os.path.join(workdir, "sample.tsv")
        subprocess.run([round_trip, "--every", every, "--sample", sample, sample_path], check=True,
                       stdout=subprocess.DEVNULL)
        rows = {16: [], 32: []}
        with open(sample_path) as f:
            for line in f:
                mode, vexa, text = line.rstrip("\n").split("\t", 2)
                rows[int(mode)].append((text, vexa))
        total = skipped = identical = 0
        classes = {}
        unexplained = []
        for mode, items in rows.items():
            is32 = mode == 32
            got, refused = run_as([to_gnu(t) for t, _ in items], is32, workdir)
            differing = [(i, items[i][0], items[i][1], got[i]) for i in range(len(items)) if i in got and got[i] != items[i][1]]
            readings = vexa_reading(decode, [d[3] for d in differing], is32) if differing else []
            total += len(items)
            skipped += len(items) - len(got)
            identical += sum(1 for i in got if got[i] == items[i][1])
            for (i, text, vexa, gnu), reading in zip(differing, readings):
                cls = classify(text, vexa, gnu, reading, is32)
                if cls is None:
                    unexplained.append((mode, text, vexa, gnu, reading))
                    cls = "UNEXPLAINED"
                entry = classes.setdefault(cls, [0, []])
                entry[0] += 1
                if len(entry[1]) < show:
                    entry[1].append(f"{mode}-bit {text.replace(chr(9), ' ')}: vexa {vexa}, as {gnu} ({reading.replace(chr(9), ' ')})")
        compared = total - skipped
        print(f"gnu as agreement: {total} sampled, {skipped} refused by as (skipped), {compared} compared, "
              f"{identical} identical ({100.0 * identical / max(compared, 1):.1f}%)")
        for cls, (count, examples) in sorted(classes.items(), key=lambda kv: -kv[1][0]):
            print(f"  {cls}: {count}")
            for e in examples:
                print(f"      {e}")
        return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
