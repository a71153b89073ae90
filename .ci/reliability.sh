#!/usr/bin/env bash
# CI, reliability: the whole test suite under ASan and UBSan (clang), then a short AFL++
# run of the sanitized binary that fails on any crash or hang it saves.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
apt_install cmake make g++ clang libgtest-dev afl++

echo "== sanitizer build (clang, ASan + UBSan), whole test suite =="
CXX=clang++ cmake -S . -B build-sanitize -DULVANE_SANITIZE=ON -DULVANE_WERROR=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure

echo "== fuzz smoke run (AFL++, sanitizers on, 90 s) =="
rm -rf build-fuzz/findings
bash fuzz/run.sh 90
