#!/usr/bin/env bash
# End-to-end checks of vexa-asm: it prints what vexa-decode prints for the
# bytes it chose, its exit codes, --batch, --json and --all.
# Usage: vexa_asm_test.sh PATH-TO-VEXA-ASM PATH-TO-VEXA-DECODE
set -uo pipefail

asm=${1:?usage: $0 vexa-asm vexa-decode}
decode=${2:?usage: $0 vexa-asm vexa-decode}
. "$(dirname "$0")/check_lib.sh"

# same_as_decode "HEX" ASM-ARGS...: vexa-asm's output is vexa-decode's for HEX
# (with the same mode, case and --explain options).
same_as_decode() {
  local hex=$1
  shift
  local decode_options=()
  for a in "$@"; do case $a in --16|--32|--upper|--explain) decode_options+=("$a") ;; esac; done
  "$asm" "$@" >"$tmp/asm.out" 2>"$tmp/asm.err" || fail "$*: exit status $?"
  "$decode" "${decode_options[@]}" "$hex" >"$tmp/decode.out"
  cmp -s "$tmp/asm.out" "$tmp/decode.out" || fail "$*: output differs from vexa-decode $hex: $(cat "$tmp/asm.out")"
  [ -s "$tmp/asm.err" ] && fail "$*: unexpected stderr $(cat "$tmp/asm.err")"
}

same_as_decode "89 D8" mov eax, ebx
same_as_decode "89 D8" --32 "mov eax,ebx"
same_as_decode "8B 40 12" --16 "mov ax, [bx+si+12]"
same_as_decode "F3 0F 58 C1" --upper addss xmm0, xmm1
same_as_decode "26 F0 01 44 B3 10" --explain "lock add dword ptr es:[ebx+esi*4+10], eax"
same_as_decode "83 C0 FF" add eax, -1
same_as_decode "EA 78 56 00 00 34 12" jmp 1234:00005678

# --all: every encoding, each as vexa-decode shows it, shortest first.
"$asm" --all mov eax, ebx >"$tmp/all.out"
{ "$decode" 89 D8; "$decode" 8B C3; } >"$tmp/all.expected"
cmp -s "$tmp/all.out" "$tmp/all.expected" || fail "--all mov eax, ebx: $(cat "$tmp/all.out")"

# Bad text: the message on stderr, exit status 2, nothing on stdout.
"$asm" mov al, 1FF >"$tmp/out" 2>"$tmp/err"
status=$?
[ "$status" -eq 2 ] || fail "mov al, 1FF: exit status $status"
[ "$(cat "$tmp/err")" = "vexa-asm: immediate 1FFh does not fit in 8 bits" ] || fail "mov al, 1FF: stderr $(cat "$tmp/err")"
[ -s "$tmp/out" ] && fail "mov al, 1FF: unexpected stdout"

"$asm" --frobnicate nop >/dev/null 2>"$tmp/err"
[ $? -eq 2 ] || fail "unknown option: exit status"
grep -q "unknown option '--frobnicate'" "$tmp/err" || fail "unknown option: $(cat "$tmp/err")"

# --batch goes on after a bad line and names it on stderr; blank lines are skipped.
printf 'nop\nmvo eax, ebx\n\nint3\n' | "$asm" --batch >"$tmp/out" 2>"$tmp/err"
status=$?
[ "$status" -eq 2 ] || fail "--batch with a bad line: exit status $status"
[ "$(cat "$tmp/err")" = "vexa-asm: line 2: unknown mnemonic 'mvo'" ] || fail "--batch stderr: $(cat "$tmp/err")"
{ "$decode" 90; "$decode" CC; } >"$tmp/expected"
cmp -s "$tmp/out" "$tmp/expected" || fail "--batch stdout: $(cat "$tmp/out")"

# --json: one object per input line, errors in the same stream, paired by "line".
printf 'mov eax, ebx\nmov [eax], 1\n' | "$asm" --batch --json --all >"$tmp/out" 2>/dev/null
expected='{"line":1,"input":"mov eax, ebx","bytes":"89 D8","length":2,"instruction":"mov\teax, ebx","encodings":["89 D8","8B C3"]}
{"line":2,"input":"mov [eax], 1","error":"operand size is ambiguous: write byte, word or dword ptr"}'
[ "$(cat "$tmp/out")" = "$expected" ] || fail "--json: $(cat "$tmp/out")"

printf 'nop\n' | "$asm" --batch >/dev/null 2>&1 || fail "--batch of good lines: exit status $?"

if [ "$failures" -ne 0 ]; then
  echo "vexa_asm_test: $failures failed" >&2
  exit 1
fi
echo "vexa_asm_test: all checks passed"
