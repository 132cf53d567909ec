#!/usr/bin/env bash
# The workbench page's browser test: page_test.js in headless Chromium.
#   run_page_test.sh PAGE_DIR REPLAY_TOOL VEXA_DECODE
# Fails, never skips, when the page, Node.js, Chromium or playwright-core is
# missing: scripts/install-deps.sh installs them and `make test` builds the page.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
page_dir=$1
chromium=${CHROMIUM:-/usr/bin/chromium}

fail() { echo "web.page: $*" >&2; exit 1; }
[ -f "$page_dir/index.html" ] && [ -f "$page_dir/vexa.wasm" ] && [ -f "$page_dir/vexa.wasm.js" ] || fail "no built page in $page_dir (make web-build)"
command -v node >/dev/null || fail "node is not installed (scripts/install-deps.sh)"
[ -x "$chromium" ] || fail "no Chromium at $chromium (scripts/install-deps.sh)"
[ -d "$here/node_modules/playwright-core" ] || fail "playwright-core is not installed in $here (scripts/install-deps.sh runs npm ci)"

paths=()
for argument in "$@"; do paths+=("$(realpath "$argument")"); done
cd "$here"
exec node page_test.js "${paths[@]}"
