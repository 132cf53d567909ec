#!/usr/bin/env bash
# Instructions executed per corpus instruction, counted by callgrind: figures
# that machine noise does not move. Usage: callgrind_counts.sh path/to/vexa_bench
set -euo pipefail
bench=${1:?usage: callgrind_counts.sh path/to/vexa_bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# $1: the walk; counts only inside the walk function $2 (corpus building excluded).
count() {
  valgrind --tool=callgrind --callgrind-out-file="$work/$1.out" --toggle-collect="$2" \
    "$bench" --walk="$1" >"$work/$1.txt" 2>"$work/$1.err"
  local total instructions
  total=$(callgrind_annotate "$work/$1.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }')
  instructions=$(awk '{ print $2 }' "$work/$1.txt")
  awk -v t="$total" -v n="$instructions" 'BEGIN { printf "%.1f", t / n }'
}

decode=$(count decode '*WalkVexaDecode(*')
format=$(count format '*WalkVexaDecodeFormat(*')
printf 'callgrind instructions per instruction: vexa decode %s, vexa decode+format %s (format alone %s)\n' \
  "$decode" "$format" "$(awk -v d="$decode" -v f="$format" 'BEGIN { printf "%.1f", f - d }')"
if [ "${1:-}" != "" ] && [ "${2:-}" = "--peers" ]; then
  printf 'callgrind instructions per instruction: zydis decode %s, zydis decode+format %s, capstone %s\n' \
    "$(count zydis-decode '*WalkZydisDecode(*')" "$(count zydis-format '*WalkZydisDecodeFormat(*')" \
    "$(count capstone '*WalkCapstone(*')"
fi
