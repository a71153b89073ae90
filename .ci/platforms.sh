#!/usr/bin/env bash
# CI for the platforms beyond the native build: makes the release artifacts with the one
# release command and runs the test suite on the binaries it packed (the Windows one under
# Wine), then builds for ARM64 Linux and runs the whole suite under qemu-user, and builds
# with clang and libc++. Each platform is built once.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

source .ci/lib.sh
apt_install cmake make g++ clang libgtest-dev dpkg-dev binutils \
  g++-mingw-w64-x86-64-posix wine64 qemu-user g++-aarch64-linux-gnu libc++-14-dev libc++abi-14-dev

echo "== release artifacts: .deb, static Linux .tar.gz, Windows .zip =="
rm -rf build-release
cmake -DTESTS=ON -P cmake/release.cmake
ls -l build-release/*.deb build-release/*.tar.gz build-release/*.zip
# The archives as a user unpacks them: the Linux one's binary is static and runs an example.
unpacked=$PWD/build-release/unpacked
rm -rf "$unpacked" && mkdir -p "$unpacked"
(cd "$unpacked" && for archive in ../ulvane-*.tar.gz ../ulvane-*.zip; do cmake -E tar xf "$archive"; done)
linux=$(echo "$unpacked"/ulvane-*-linux-x86_64)
readelf -d "$linux/bin/ulvane" | grep -q '^There is no dynamic section in this file\.$'
"$linux/bin/ulvane" "$linux/share/doc/ulvane/examples/fizzbuzz.ulv" | cmp - examples/fizzbuzz.out

echo "== the packed Linux builds: Debian's and the static one =="
ctest --test-dir build-release/debian --output-on-failure -j2
ctest --test-dir build-release/linux-static --output-on-failure -j2
ctest --test-dir build-release/linux-static -N -R '^install/static_binary$' | grep -q 'Total Tests: 1'

echo "== Windows: ulvane.exe needs only Windows' own DLLs, and passes the suite under Wine =="
dlls=$(x86_64-w64-mingw32-objdump -p build-release/windows/ulvane.exe | sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
if [ "$dlls" != "KERNEL32.dll msvcrt.dll " ]; then
  echo "ulvane.exe needs other DLLs: $dlls" >&2
  exit 1
fi
wine=$(command -v wine || echo /usr/lib/wine/wine64)
cmake -S . -B build-release/windows-tests -DULVANE_PGO=OFF -DULVANE_LTO=OFF \
  -DULVANE_TEST_INTERPRETER="$PWD/build-release/windows/ulvane.exe" -DULVANE_TEST_EMULATOR="$wine"
cmake --build build-release/windows-tests -j2 --target golden_runner ulvane_tests
export WINEPREFIX=$PWD/build-release/wine
ctest --test-dir build-release/windows-tests --output-on-failure -j2
# The unpacked ulvane.exe runs an example named by a relative Windows path, in text mode.
(cd "$unpacked"/ulvane-*-windows-x86_64 && WINEDEBUG=-all "$wine" ulvane.exe 'examples\fizzbuzz.ulv') \
  | cmp - <(sed 's/$/\r/' examples/fizzbuzz.out)

echo "== ARM64 Linux: cross-compiled, the whole suite under qemu-user =="
cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake -DULVANE_WERROR=ON
cmake --build build-arm64 -j2
ctest --test-dir build-arm64 --output-on-failure -j2

echo "== clang with libc++ =="
cmake -S . -B build-libcxx -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/clang-libc++.cmake -DULVANE_WERROR=ON
cmake --build build-libcxx -j2
ctest --test-dir build-libcxx --output-on-failure -j2

echo "== platforms done in $((SECONDS - started)) s, package installs included =="
