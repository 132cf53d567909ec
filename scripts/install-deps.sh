#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the workbench need,
# when any is missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config
  libgtest-dev libbenchmark-dev
  libzydis-dev libcapstone-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-win32
  wine wine32:i386 wine64 fonts-wine
  libc6:i386  # its libc.so.6 is the benchmark's real-code corpus
  xvfb xauth imagemagick
  python3
  seabios nasm hyperfine time binutils
  emscripten node-acorn nodejs chromium
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo_cmd=(sudo); else
    echo "install-deps: not root and no sudo; install these packages by hand: ${packages[*]}" >&2
    exit 1
  fi
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
# Debian's nodejs comes without npm; other builds of it carry their own.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [ ${#missing[@]} -ne 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The page tests' Playwright (playwright-core only: it drives the system
# Chromium and downloads no browser), as pinned by the lock file.
web_tests="$(cd "$(dirname "$0")/../tests/web" && pwd)"
if [ ! -f "$web_tests/node_modules/.package-lock.json" ] ||
   [ "$web_tests/package-lock.json" -nt "$web_tests/node_modules/.package-lock.json" ]; then
  echo "install-deps: npm ci in tests/web"
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
