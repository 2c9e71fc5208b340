#!/usr/bin/env bash
# Cross-builds the link library as a Windows DLL with mingw-w64 into
# build-win/: build-win/qxzaqlnk.dll (64-bit, static C++ runtime: it needs
# only system DLLs) and the Wine test program build-win/wine_link_test.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

flags=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG")
if command -v ccache >/dev/null 2>&1; then
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
# ZAQ_WERROR=ON in the environment (the test script sets it) makes warnings errors.
flags+=(-DZAQ_WERROR="${ZAQ_WERROR:-OFF}")
cmake -G "$(scripts/cmake-generator.sh build-win)" -S . -B build-win "${flags[@]}" >/dev/null
cmake --build build-win -j "$(nproc)" "$@"
