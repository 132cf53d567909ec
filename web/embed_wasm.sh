#!/bin/sh
# vexa.wasm.js: the module as base64 in a script, for the page opened from
# file://, where the browser fetches nothing but scripts. Over HTTP the page
# fetches vexa.wasm itself and never loads this.
#   embed_wasm.sh vexa.wasm vexa.wasm.js
set -e
printf 'window.vexaWasm = "%s";\n' "$(base64 -w0 "$1")" > "$2"
