# Sourced by the CLI test scripts: a scratch folder $tmp removed on exit, and
# fail MESSAGE..., which reports a failed check and counts it in $failures.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
