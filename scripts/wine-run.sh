#!/usr/bin/env bash
# Runs one of the project's Windows programs under Wine, in a project-local Wine
# prefix that it creates on first use (so it works as root, on a fresh machine,
# and leaves ~/.wine alone).
#
#   scripts/wine-run.sh [--headless] [--prepare-only] PREFIX_ROOT PROGRAM.exe [ARGS...]
#
# PREFIX_ROOT holds one prefix per architecture, chosen by the program's PE
# header: a 32-bit program runs under 32-bit Wine in PREFIX_ROOT/win32, a 64-bit
# one under wine64 in PREFIX_ROOT/win64 (the Makefile builds 64-bit programs for
# hosts whose kernel cannot run 32-bit code).
# --headless runs on a virtual X display of its own (Xvfb, 24-bit colour so
# pixels read back exactly); otherwise the program shows on DISPLAY.
# --prepare-only only makes the prefix ready.
#
# A new prefix gets Wine's bitmap "Fixedsys" font (vgafix.fon, Debian's
# fonts-wine) as the stock fixed system font, as on Windows: Wine otherwise falls
# back to a TrueType mono face with other cell metrics.
set -euo pipefail

headless=0
prepare_only=0
while [ $# -gt 0 ]; do
  case $1 in
    --headless) headless=1; shift ;;
    --prepare-only) prepare_only=1; shift ;;
    *) break ;;
  esac
done
if [ $# -lt 2 ]; then
  echo "usage: $0 [--headless] [--prepare-only] PREFIX_ROOT PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prefix_root=$1
program=$2
shift 2

if [ $headless = 1 ]; then
  # Again, without --headless, on the virtual display.
  args=()
  [ $prepare_only = 1 ] && args+=(--prepare-only)
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "${args[@]}" "$prefix_root" "$program" "$@"
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no X display (DISPLAY is not set); --headless runs on a virtual one" >&2
  exit 2
fi

# The COFF machine field of a PE file: 014c for x86, 8664 for x86-64.
pe_machine() {
  local pe_offset
  pe_offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((pe_offset + 4)) -N 2 "$1" | tr -d ' '
}

if [ ! -f "$program" ]; then
  echo "wine-run: no such program: $program" >&2
  exit 2
fi
case $(pe_machine "$program") in
  014c)
    export WINEARCH=win32
    loader=wine
    ;;
  8664)
    export WINEARCH=win64
    loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
    export WINELOADER=$loader
    ;;
  *)
    echo "wine-run: not an x86 or x86-64 Windows program: $program" >&2
    exit 2
    ;;
esac

mkdir -p "$prefix_root"
prefix_root=$(cd "$prefix_root" && pwd)
export WINEPREFIX=$prefix_root/$WINEARCH
export WINEDEBUG=-all
# No Mono or Gecko: the programs need neither, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="

bitmap_fonts=/usr/share/wine/fonts
font_substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'

prepare_prefix() {
  [ -f "$WINEPREFIX/.vexa-ready" ] && return 0
  echo "wine-run: creating the Wine prefix $WINEPREFIX (takes a while the first time)"
  rm -rf "$WINEPREFIX"
  "$loader" wineboot -i
  wineserver -w
  if [ -f "$bitmap_fonts/vgafix.fon" ]; then
    # Wine's stock SYSTEM_FIXED_FONT asks for "Courier"; with no Courier font in
    # the prefix the substitute below hands it Fixedsys (8 x 15 pixels).
    cp "$bitmap_fonts/vgafix.fon" "$WINEPREFIX/drive_c/windows/Fonts/"
    "$loader" reg add "$font_substitutes" /v Courier /d Fixedsys /f >/dev/null
    wineserver -w
  else
    echo "wine-run: $bitmap_fonts/vgafix.fon missing (package fonts-wine):" \
      "the fixed system font stays a TrueType fallback" >&2
  fi
  touch "$WINEPREFIX/.vexa-ready"
}

# One prefix, one creator: a second caller waits for the first.
exec 9>"$prefix_root/.lock"
flock 9
prepare_prefix
exec 9>&-
[ $prepare_only = 1 ] && exit 0

status=0
"$loader" "$program" "$@" || status=$?
# Wait for Wine's helper processes to end so the X display can go with them.
wineserver -w || true
exit $status
