#!/usr/bin/env bash
# Prints the CMake generator for build folder $1: the one it was configured
# with, or else Ninja when installed (Make's generator starts a shell and a
# cmake process or two for every file it builds: a minute of a test run).
set -euo pipefail
cache="$1/CMakeCache.txt"
if [ -f "$cache" ]; then
  sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$cache"
elif command -v ninja >/dev/null 2>&1; then
  echo Ninja
else
  echo "Unix Makefiles"
fi
