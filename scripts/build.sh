#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with --sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags+=(-DZAQ_SANITIZE=ON -DZAQ_BUILD_BENCHMARKS=OFF)
  shift
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "$@"
