#!/usr/bin/env bash
# CI for the web playground: installs emscripten, Node.js and Chromium where missing, builds
# the native binary and the page, then runs the page's tests in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
apt_updated=false
apt_install() {
  if [ "$apt_updated" = false ]; then
    apt-get update -q
    apt_updated=true
  fi
  apt-get install -y -q --no-install-recommends "$@"
}
missing=()
for package in emscripten node-acorn chromium; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
# Node.js and npm may come from another source than Debian's packages: look for the commands.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then apt_install "${missing[@]}"; fi

echo "== web playground: native binary and page =="
cmake -S . -B build
cmake --build build -j2 --target ulvane
cmake --build build --target web

echo "== web playground: tests in headless Chromium =="
cd web
npm ci --no-audit --no-fund
npm test
