#!/usr/bin/env bash
# CI for the web playground: installs emscripten, Node.js and Chromium where missing, builds
# the native binary and the page, then runs the page's tests in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
apt_install emscripten node-acorn chromium
# Node.js and npm may come from another source than Debian's packages: look for the commands.
command -v node >/dev/null || apt_install nodejs
command -v npm >/dev/null || apt_install npm

echo "== web playground: native binary and page =="
cmake -S . -B build
cmake --build build -j2 --target ulvane
cmake --build build --target web

echo "== web playground: tests in headless Chromium =="
cd web
npm ci --no-audit --no-fund
npm test
