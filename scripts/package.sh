#!/usr/bin/env bash
# Builds the packages: build/lorvex_<version>_<arch>.deb (Linux) and
# build/windows/lorvex-<version>-win64.zip (Windows, cross-built with mingw-w64).
# Only what the packages hold is built, with every core: no tests, no test programs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target package_contents
(cd build && cpack -G DEB)
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j"$jobs" --target lorvex
(cd build/windows && cpack -G ZIP)
ls -l build/*.deb build/windows/*.zip
