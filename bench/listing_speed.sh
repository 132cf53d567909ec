#!/usr/bin/env bash
# vexa-decode --list against objdump and ndisasm, as whole processes side by
# side on the same file: the code section of the i386 libc that Wine's
# dependencies install. Then the peak memory on a 1 MB and a 100 MB input.
# Usage: listing_speed.sh PATH-TO-VEXA-DECODE WORK-DIR
set -euo pipefail

bin=${1:?usage: $0 vexa-decode work-dir}
work=${2:?usage: $0 vexa-decode work-dir}
libc=/usr/lib/i386-linux-gnu/libc.so.6
mkdir -p "$work"
for tool in objcopy objdump ndisasm hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "listing_speed: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
[ -f "$libc" ] || { echo "listing_speed: $libc is missing (wine32 installs it)" >&2; exit 1; }

text=$work/libc.text
objcopy -O binary --only-section=.text "$libc" "$text"
echo "file: .text of $libc, $(stat -c %s "$text") bytes"

# Wall time of each run; the fastest run of each is the one least disturbed
# by whatever else the machine does, the CPU time (user + system) a second view.
hyperfine -N --warmup 3 --runs 15 --output=null --style basic --export-json "$work/listing.json" \
  -n vexa "$bin --list --file $text" \
  -n objdump "objdump -D -b binary -mi386 -Mintel $text" \
  -n ndisasm "ndisasm -b32 $text" >"$work/hyperfine.txt"
python3 - "$work/listing.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
def best(name): return min(results[name]["times"])
def cpu(name): return results[name]["user"] + results[name]["system"]
for name in ("vexa", "objdump", "ndisasm"):
    print(f"  {name:8} fastest {best(name) * 1000:8.1f} ms   median {results[name]['median'] * 1000:8.1f} ms"
          f"   cpu {cpu(name) * 1000:8.1f} ms")
for peer in ("objdump", "ndisasm"):
    print(f"speedup listing over {peer}: {best(peer) / best('vexa'):.2f}x (cpu time: {cpu(peer) / cpu('vexa'):.2f}x)")
PY

# Peak memory: the same code repeated to 1 MB and to 100 MB.
small=$work/code-1M.bin
large=$work/code-100M.bin
head -c $((1 << 20)) "$text" >"$small"
: >"$large"
while [ "$(stat -c %s "$large")" -lt $((100 << 20)) ]; do cat "$text" >>"$large"; done
truncate -s $((100 << 20)) "$large"
peak() { /usr/bin/time -v "$bin" --list --file "$1" 2>&1 >/dev/null | awk '/Maximum resident set size/ {print $6}'; }
small_kb=$(peak "$small")
large_kb=$(peak "$large")
echo "peak memory: 1 MB input ${small_kb} KB, 100 MB input ${large_kb} KB, difference $((large_kb - small_kb)) KB"
rm -f "$large"
