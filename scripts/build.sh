#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with --sanitize, or
# build-tsan/ with --tsan: ThreadSanitizer; name the targets, as
# scripts/test.sh does, or it builds everything).
set -euo pipefail
cd "$(dirname "$0")/.."

# Line tables only (-g1): enough for sanitizer and debugger backtraces, and the
# build takes half the time.
dir=build
flags=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1")
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags=(-DZAQ_SANITIZE=ON -DZAQ_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1")
  shift
elif [ "${1:-}" = "--tsan" ]; then
  dir=build-tsan
  flags=(-DZAQ_TSAN=ON -DZAQ_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1")
  shift
fi
# ccache, when installed, shares compiled objects between rebuilds and between
# work trees of the repository (paths are taken relative to the tree's top).
if command -v ccache >/dev/null 2>&1; then
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
# ZAQ_WERROR=ON in the environment (the test script sets it) makes warnings
# errors; without it the build folder keeps what it was configured with.
if [ -n "${ZAQ_WERROR:-}" ]; then
  flags+=(-DZAQ_WERROR="$ZAQ_WERROR")
fi
cmake -G "$(scripts/cmake-generator.sh "$dir")" -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "$@"
