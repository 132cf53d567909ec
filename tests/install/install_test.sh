#!/bin/sh
# Installs a built tree into a fresh prefix, checks what went there, then builds
# and runs the consumer against it twice: through find_package(vexa) and
# through pkg-config.
# Usage: install_test.sh BUILD_DIR WORK_DIR CMAKE CXX [vexa-decode]
set -eu
build=$1 work=$2 cmake=$3 cxx=$4 tool=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$work/prefix

rm -rf "$work"
mkdir -p "$work"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

# Exactly the public headers, and the tool when the tree built it.
headers=$(cd "$prefix/include/vexa" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
expected="./decoder/decoded_instruction.h ./decoder/decoder.h ./decoder/encoding_layout.h ./decoder/mnemonic_list.h ./formatter/display_lines.h ./formatter/instruction_text.h "
if [ "$headers" != "$expected" ]; then
  echo "installed headers: $headers" >&2
  echo "expected:          $expected" >&2
  exit 1
fi
if [ -n "$tool" ] && [ ! -x "$prefix/bin/$tool" ]; then
  echo "$tool was not installed in $prefix/bin" >&2
  exit 1
fi

"$cmake" -S "$here" -B "$work/find_package" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  >"$work/find_package.log"
"$cmake" --build "$work/find_package" >>"$work/find_package.log"
"$work/find_package/vexa_consumer"

pc=$(find "$prefix" -name vexa.pc)
flags=$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs vexa)
# shellcheck disable=SC2086  # the flags are words
"$cxx" -std=c++20 "$here/consumer.cpp" -o "$work/pkg_config_consumer" $flags
"$work/pkg_config_consumer"
