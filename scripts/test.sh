#!/usr/bin/env bash
# Sets up, builds and runs every test: once in build/, then once more with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, then a short
# libFuzzer run of every fuzz target (scripts/fuzz.sh).
# --quick runs the first pass only.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

# A few end-to-end tests race real threads and pseudo-terminals against
# time bounds; on a loaded machine one may miss its bound, so a failed test
# gets one more run (both runs are in the output).
run_tests() {
  local dir=$1
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 300 --repeat until-pass:2
}

# Warnings are errors here: what CI accepts builds without one.
export ZAQ_WERROR=ON
scripts/build.sh
run_tests build

if [ "${1:-}" != "--quick" ]; then
  scripts/build.sh --sanitize
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_tests build-asan
  scripts/fuzz.sh "${ZAQ_FUZZ_SECONDS:-15}"
fi
