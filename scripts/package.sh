#!/usr/bin/env bash
# Builds the packages: build/lorvex_<version>_<arch>.deb (Linux) and
# build/windows/lorvex-<version>-win64.zip (Windows, cross-built with mingw-w64).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target lorvex manpage
(cd build && cpack -G DEB)
./scripts/build-windows.sh
(cd build/windows && cpack -G ZIP)
ls -l build/*.deb build/windows/*.zip
