#!/usr/bin/env bash
# CI for what ships beside the interpreter: installs the tools that the manual page, package
# and Vim tests need, makes sure CTest registers and passes those tests, checks the Debian
# package with lintian, then runs the VS Code grammar tests from the npm registry on the
# grammar in the source tree and on the one in the packaged extension.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
apt_install mandoc groff-base dpkg-dev vim lintian unzip
# Node.js may come from a package that bundles npm; Debian's own npm is only needed without it.
command -v node >/dev/null || apt_install nodejs
command -v npm >/dev/null || apt_install npm

echo "== manual page, package and editor tests =="
# Configure again so that tests skipped for a missing tool are registered now.
cmake -S . -B build >/dev/null
cmake --build build -j2
tool_tests='^(man/mandoc_lint|man/groff_warnings|install/debian_package|editors/vim_syntax)$'
registered=$(ctest --test-dir build -N -R "$tool_tests" | grep -c '^ *Test *#' || true)
if [ "$registered" -ne 4 ]; then
  echo "expected 4 tool-dependent tests, found $registered" >&2
  exit 1
fi
ctest --test-dir build --output-on-failure -R '^(examples|guide|man|install|editors)/'

echo "== lintian on the Debian package =="
# Errors fail the run; warnings are shown (the ones kept are explained in cmake/install.cmake).
rm -rf build/package
cpack -G DEB --config build/CPackConfig.cmake -B build/package >/dev/null
lintian --fail-on error build/package/ulvane_*.deb

echo "== VS Code grammar tests, on the source and in the packaged .vsix =="
cd editors/vscode
npm ci --no-audit --no-fund
npm test
npm run test:vsix
