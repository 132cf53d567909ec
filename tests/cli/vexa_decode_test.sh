#!/usr/bin/env bash
# End-to-end checks of the vexa-decode binary: its two lines, exit codes,
# error messages, --batch and --json. Usage: vexa_decode_test.sh PATH-TO-BINARY
set -uo pipefail

bin=${1:?usage: $0 path/to/vexa-decode}
. "$(dirname "$0")/check_lib.sh"

# run ARGS... : runs the binary with stdin from $tmp/in (if present); sets
# $status, $out and $err.
run() {
  local input=/dev/null
  [ -f "$tmp/in" ] && input=$tmp/in
  "$bin" "$@" <"$input" >"$tmp/out" 2>"$tmp/err"
  status=$?
  out=$(cat "$tmp/out"; echo x); out=${out%x}
  err=$(cat "$tmp/err"; echo x); err=${err%x}
}

expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1"; }
expect_out() { [ "$out" = "$1" ] || fail "$2: output $(printf %q "$out"), expected $(printf %q "$1")"; }
expect_err_line() {
  [ "$(printf %s "$err" | wc -l)" -eq 1 ] || fail "$2: expected one stderr line, got $(printf %q "$err")"
  [[ "$err" == *"$1"* ]] || fail "$2: stderr $(printf %q "$err") does not name $1"
}

# decodes HEX... with OPTIONS and compares both lines: expect_decode "LINE1" "LINE2" ARGS...
expect_decode() {
  local line1=$1 line2=$2
  shift 2
  run "$@"
  expect_status 0 "$*"
  expect_out "$line1"$'\n'"$line2"$'\n' "$*"
}

# --help and bad arguments.
run --help
expect_status 0 "--help"
[[ "$out" == usage:* ]] || fail "--help prints usage"
for option in --16 --32 --upper --json --batch --explain --list --raw --file --skip --count --org; do
  [[ "$out" == *"$option"* ]] || fail "--help lists $option"
done

run --bogus 90;          expect_status 2 "unknown option"; expect_err_line "'--bogus'" "unknown option"; expect_out "" "unknown option"
run 66 894;              expect_status 2 "odd digits";     expect_err_line "'894'" "odd digits"
run 9G;                  expect_status 2 "non-hex";        expect_err_line "'9G'" "non-hex"
run;                     expect_status 2 "no bytes";       expect_err_line "no instruction bytes" "no bytes"
run "$(printf '90%.0s' {1..26})"; expect_status 2 "26 bytes"; expect_err_line "more than 25 bytes" "26 bytes"
run "$(printf '90%.0s' {1..25})"; expect_status 0 "25 bytes"

# The two lines, in both modes, with the upper-case switch.
expect_decode $'mov\tword ptr [bx+si+12], ax' "89 40 12 " --16 89 40 12
expect_decode $'mov\tword ptr [eax+12], ax' "66 89 40 12 " "66 89 40 12"
expect_decode $'MOV\tWORD PTR [EAX+12], AX' "66 89 40 12 " --upper 66894012
expect_decode $'mov\tword ptr [bx+si+0], ax' "89 40 00 " --32 --16 8940
expect_decode $'lock rep movsb\t' "F0 F3 A4 " F0F3A4
expect_decode $'jmp\t$+4' "66 E9 00 00 " 66 E9
expect_decode $'INVALID\t' "FF " FF D8
expect_decode $'INVALID\t' "66 " --upper 66 FF D8

# Bytes past the instruction are noted on standard error, never on standard output.
run 55 89 e5
expect_out $'push\tebp\n55 \n' "bytes left over"
expect_err_line "2 were not decoded (--list" "bytes left over"

# --list on a pipe: the first line comes while the input is still open.
exec 3< <({ printf '\x90\x90'; head -c 100 /dev/zero; sleep 3; } | "$bin" --list --raw)
IFS= read -r -t 2 first <&3 || fail "list: no line within 2 s on a pipe"
exec 3<&-
[ "${first:-}" = "00000000  90                                            nop"$'\t' ] || fail "list: first line $(printf %q "${first:-}")"

# A listing that cannot be written is an error, not a success.
if [ -w /dev/full ]; then
  "$bin" --list 90 >/dev/full 2>"$tmp/err"; status=$?
  expect_status 2 "list to a full disk"
  grep -q "cannot write the listing" "$tmp/err" || fail "list to a full disk: $(cat "$tmp/err")"
fi

# The README's listing of real 16-bit code: SeaBIOS's reset vector and the code it jumps to.
bios=/usr/share/seabios/bios.bin
if [ -f "$bios" ]; then
  run --list --16 --file "$bios" --skip 0x1FFF0 --count 5 --org FFF0
  expect_out "FFF0  EA 5B E0 00 F0                                jmp"$'\t'"0F000:0E05B"$'\n' "bios reset vector"
  run --list --16 --file "$bios" --skip 0x1E05B --count 38 --org E05B
  [ "$(printf %s "$out" | sed -n 2p)" = "E062  0F 85 48 02                                   jne"$'\t'"\$+24C  ; E2AE" ] ||
    fail "bios listing: $(printf %q "$out")"
else
  fail "$bios is missing: scripts/install-deps.sh installs seabios"
fi

# --batch: the same lines as single runs, bad lines reported by number.
printf '90\n0F 0B\nzz\n\nC3\n' >"$tmp/in"
run --batch
expect_status 2 "batch with bad lines"
expected=$(rm "$tmp/in"; for hex in 90 "0F 0B" C3; do "$bin" $hex; done; echo x); expected=${expected%x}
expect_out "$expected" "batch output"
[[ "$err" == *"line 3: "*"'zz'"* && "$err" == *"line 4: no instruction bytes"* ]] || fail "batch errors: $(printf %q "$err")"

# --explain: the usual two lines, then the breakdown, ended by an empty line;
# no colour when the output is not a terminal.
run --explain 66 C7 44 8B 12 34 12
expect_status 0 "explain"
[ "$(printf %s "$out" | head -n 2)" = $'mov\tword ptr [ebx+ecx*4+12], 1234\n66 C7 44 8B 12 34 12 ' ] || fail "explain: the two lines first"
[[ "$out" == *$'\nbytes (7):\n'*$'  5-6   34 12        immediate     value 1234h\n'* ]] || fail "explain: byte roles"
[[ "$out" == *$'\naddress size: 32-bit (32-bit mode)\n\n' ]] || fail "explain: ends with an empty line"
[[ "$out" != *$'\x1b'* ]] || fail "explain: colour in a file"
run --explain FF D8
[[ "$out" == *$'\ninvalid: a register where memory is required'* ]] || fail "explain: reason for INVALID"
run --explain --json 90; expect_status 2 "explain with json"; expect_err_line "--explain and --json" "explain with json"

printf '90\nFF D8\nzz\n0F 85 10 00 00 00\n' >"$tmp/in"
run --batch --explain
rm "$tmp/in"
expect_status 2 "batch explain"
[ "$(printf %s "$out" | grep -c '^bytes (')" -eq 3 ] || fail "batch explain: one breakdown per instruction"
[ "$(printf %s "$out" | grep -c '^$')" -eq 3 ] || fail "batch explain: an empty line after each"
expected=$(for hex in 90 "FF D8" "0F 85 10 00 00 00"; do "$bin" --explain $hex; done; echo x); expected=${expected%x}
expect_out "$expected" "batch explain output"

# On a terminal the roles are coloured, unless NO_COLOR is set (even empty).
if command -v script >/dev/null 2>&1; then
  on_terminal() { script -qec "$1" /dev/null </dev/null 2>&1; }
  [[ "$(on_terminal "env -u NO_COLOR '$bin' --explain 66 90")" == *$'\x1b[35m66'* ]] || fail "explain: colour on a terminal"
  [[ "$(on_terminal "NO_COLOR=1 '$bin' --explain 66 90")" != *$'\x1b'* ]] || fail "explain: NO_COLOR=1"
  [[ "$(on_terminal "NO_COLOR= '$bin' --explain 66 90")" != *$'\x1b'* ]] || fail "explain: NO_COLOR empty"
  [[ "$(on_terminal "env -u NO_COLOR '$bin' 66 90")" != *$'\x1b'* ]] || fail "no colour without --explain"
fi

# --json: one valid object per instruction, holding both lines.
if command -v python3 >/dev/null 2>&1; then
  printf '90\n66 89 40 12\nF0 F3 A4\n0F 0B\n' >"$tmp/in"
  run --batch --json
  rm "$tmp/in"
  expect_status 0 "json batch"
  [ "$(printf %s "$out" | wc -l)" -eq 4 ] || fail "json batch: expected four lines"
  while IFS= read -r object; do
    printf '%s' "$object" | python3 -m json.tool >/dev/null || fail "invalid JSON: $object"
  done <"$tmp/out"
  run --json 66 89 40 12
  printf '%s' "$out" | python3 -c '
import json, subprocess, sys
record = json.load(sys.stdin)
lines = subprocess.run([sys.argv[1], "66", "89", "40", "12"], capture_output=True, text=True).stdout.split("\n")
for key in ("prefixes", "length", "opcodeClass", "subClass", "mnemonic", "mnemonicText", "invalid",
            "twoByteOpcode", "operandCount", "operands", "instructionLine", "bytesLine"):
    assert key in record, key
assert record["prefixes"]["operandSizeOverride"] is True
assert len(record["operands"]) == 3
assert [record["instructionLine"], record["bytesLine"]] == lines[:2], (record, lines)
' "$bin" || fail "json record fields"
else
  fail "python3 is needed to check --json"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "vexa-decode: all checks passed"
