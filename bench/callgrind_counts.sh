#!/usr/bin/env bash
# Instructions executed per corpus instruction, counted by callgrind: figures
# that machine noise does not move. One line per corpus (the real-code one
# when its file is there, and the synthetic one).
#
# Usage: callgrind_counts.sh path/to/vexa_bench [--peers] [--branch-sim=yes]
#   --peers            the same counts for Zydis and Capstone
#   --branch-sim=yes   also the mispredicted branches per instruction that
#                      callgrind's branch predictor model simulates (conditional
#                      and indirect), with no hardware counters
set -euo pipefail
bench=${1:?usage: callgrind_counts.sh path/to/vexa_bench [--peers] [--branch-sim=yes]}
shift
peers=no
branch_sim=no
for option in "$@"; do
  case "$option" in
    --peers) peers=yes ;;
    --branch-sim=yes) branch_sim=yes ;;
    --branch-sim=no) branch_sim=no ;;
    *) echo "callgrind_counts.sh: unknown option $option" >&2; exit 2 ;;
  esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# $1: the walk, $2: the corpus; counts only inside the walk function $3 (the
# corpus's building or reading is excluded). Leaves "instructions Ir
# mispredicted" in $work/$1-$2.count.
measure() {
  local out="$work/$1-$2"
  valgrind --tool=callgrind --branch-sim="$branch_sim" --callgrind-out-file="$out.out" --toggle-collect="$3" \
    "$bench" --walk="$1" --corpus="$2" >"$out.txt" 2>"$out.err"
  # The totals line lists the events in the order of the events line.
  awk -v n="$(awk '{ print $2 }' "$out.txt")" '
    /^events:/ { for (i = 2; i <= NF; ++i) column[$i] = i - 1 }
    /^(totals|summary):/ {
      ir = $(column["Ir"] + 1)
      missed = ("Bcm" in column) ? $(column["Bcm"] + 1) + $(column["Bim"] + 1) : 0
    }
    END { print n, ir, missed }' "$out.out" >"$out.count"
}

# $1: the walk, $2: the corpus, $3: 2 for Ir, 3 for mispredicted branches: per instruction.
per() { awk -v f="$3" '{ printf (f == 2 ? "%.1f" : "%.2f"), $f / $1 }' "$work/$1-$2.count"; }

report() {  # $1: corpus, $2: what to count (2 or 3), $3: its words
  local decode format precision
  decode=$(per decode "$1" "$2")
  format=$(per format "$1" "$2")
  precision=$([ "$2" = 2 ] && echo 1 || echo 2)
  printf 'callgrind %s per instruction (%s): vexa decode %s, vexa decode+format %s (format alone %s)\n' \
    "$3" "$1" "$decode" "$format" "$(awk -v d="$decode" -v f="$format" -v p="$precision" 'BEGIN { printf "%.*f", p, f - d }')"
  if [ "$peers" = yes ]; then
    printf 'callgrind %s per instruction (%s): zydis decode %s, zydis decode+format %s, capstone %s\n' \
      "$3" "$1" "$(per zydis-decode "$1" "$2")" "$(per zydis-format "$1" "$2")" "$(per capstone "$1" "$2")"
  fi
}

corpora=(synthetic)
if "$bench" --walk=decode --corpus=real >/dev/null; then corpora=(real synthetic); fi
for corpus in "${corpora[@]}"; do
  measure decode "$corpus" '*WalkVexaDecode(*'
  measure format "$corpus" '*WalkVexaDecodeFormat(*'
  if [ "$peers" = yes ]; then
    measure zydis-decode "$corpus" '*WalkZydisDecode(*'
    measure zydis-format "$corpus" '*WalkZydisDecodeFormat(*'
    measure capstone "$corpus" '*WalkCapstone(*'
  fi
  report "$corpus" 2 instructions
  if [ "$branch_sim" = yes ]; then report "$corpus" 3 "mispredicted branches"; fi
done
