#!/usr/bin/env bash
# Sets up, builds and runs every test: once in build/, then once more with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, then a short
# libFuzzer run of every fuzz target (scripts/fuzz.sh), then the tests that
# race threads (end to end, fault drills, ISDN concurrency) with
# ThreadSanitizer in build-tsan/, then the Windows DLL
# (scripts/build-windows.sh, built beside the first pass's tests) checked and
# run under Wine (tests/windows/).
# --quick runs the first pass only.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

# A few end-to-end tests race real threads and pseudo-terminals against
# time bounds; on a loaded machine one may miss its bound, so a failed test
# gets one more run (both runs are in the output). Most tests spend their
# time waiting on a simulated unit or a timer, so twice as many run at once
# as there are cores (ThreadSanitizer's, which keep the cores busy, run one
# per core).
run_tests() {
  local dir=$1 jobs=$2
  shift 2
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300 --repeat until-pass:2 "$@"
}
waiting_jobs=$(( 2 * $(nproc) ))

# Warnings are errors here: what CI accepts builds without one.
export ZAQ_WERROR=ON
scripts/build.sh

# The Windows DLL's cross-build needs nothing of the passes below: it runs
# beside the first pass's tests, at the lowest priority, on the time their
# waits leave idle. Its output follows once it is needed.
windows_build=
if [ "${1:-}" != "--quick" ] && command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null; then
  windows_log=$(mktemp)
  nice -n 19 scripts/build-windows.sh >"$windows_log" 2>&1 &
  windows_build=$!
  # A run that fails early still waits for the build rather than leave it behind.
  trap 'wait "$windows_build" 2>/dev/null; rm -f "$windows_log"' EXIT
fi

run_tests build "$waiting_jobs"

if [ "${1:-}" != "--quick" ]; then
  scripts/build.sh --sanitize
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_tests build-asan "$waiting_jobs"
  scripts/fuzz.sh "${ZAQ_FUZZ_SECONDS:-5}"

  # ThreadSanitizer on the tests whose threads meet: end to end, the fault
  # drills (but the dump-damage loops, a parser matter the passes above
  # cover), the ISDN monitor's concurrency and its entries over the link.
  scripts/build.sh --tsan --target e2e_tests drills_tests isdn_tests
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  run_tests build-tsan "$(nproc)" -L '^(e2e_tests|drills_tests)$' -E '^DamagedDumpDrill\.'
  run_tests build-tsan "$(nproc)" -R '^(IsdnConcurrency|CallControlExports)\.'
  unset TSAN_OPTIONS

  # The library as a Windows DLL: its export table and imports, then a run
  # under Wine against the simulator of the first pass.
  if [ -n "$windows_build" ]; then
    windows_status=0
    wait "$windows_build" || windows_status=$?
    cat "$windows_log"
    if [ "$windows_status" -ne 0 ]; then
      echo "The Windows DLL did not build (scripts/build-windows.sh: exit $windows_status)" >&2
      exit 1
    fi
    tests/windows/check-dll.sh build-win/qxzaqlnk.dll
    tests/windows/wine-test.sh build/tools/zaqsim/zaqsim build-win
  else
    echo "Windows DLL test skipped: mingw-w64 or Wine is not installed (scripts/setup.sh)"
  fi
fi
