#!/usr/bin/env bash
# Cross-builds lorvex.exe for 64-bit Windows with mingw-w64 into build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/windows -j2
ls -l build/windows/lorvex.exe
