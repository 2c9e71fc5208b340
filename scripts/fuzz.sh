#!/usr/bin/env bash
# A short fuzz run: builds every fuzz target of tests/fuzz with clang (the
# compiler scripts/setup.sh installs) and libFuzzer (AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for SECONDS
# (default 20) on a copy of its seed corpus (tests/fuzz/corpus/<first word of
# the target's name>/), as many at a time as there are cores. A crash, a leak
# or a sanitizer report fails the run; the input that caused it is kept in
# build-fuzz/fuzz-findings/. A missing clang or libFuzzer runtime
# (libclang-rt-dev) fails it too: a test run never skips its fuzzing
# silently. Targets may be named (by program, as "framer_stream_fuzz", or by
# corpus, as "framer"); by default all run.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "fuzz: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi

if ! command -v clang >/dev/null 2>&1 || ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang is not installed (scripts/setup.sh installs it): no fuzz run" >&2
  exit 1
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address "$probe/probe.cpp" -o "$probe/probe" >"$probe/probe.log" 2>&1; then
  cat "$probe/probe.log" >&2
  echo "fuzz: clang cannot build a fuzzer (is libclang-rt-dev installed?): no fuzz run" >&2
  exit 1
fi

targets=()
for source in tests/fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  if [ "$#" -eq 0 ]; then
    targets+=("$target")
    continue
  fi
  for wanted in "$@"; do
    if [ "$wanted" = "$target" ] || [ "$wanted" = "${target%%_*}" ]; then
      targets+=("$target")
    fi
  done
done
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no fuzz target is named $*" >&2
  exit 2
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
CC=clang CXX=clang++ cmake -G "$(scripts/cmake-generator.sh build-fuzz)" -S . -B build-fuzz -DZAQ_FUZZ=ON -DZAQ_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target "${targets[@]}" -j "$(nproc)"

findings=build-fuzz/fuzz-findings
mkdir -p "$findings"
failed=()
# A fuzz run keeps one core busy: as many run at a time as there are cores.
at_once=$(nproc)
for ((first = 0; first < ${#targets[@]}; first += at_once)); do
  batch=("${targets[@]:first:at_once}")
  pids=()
  for target in "${batch[@]}"; do
    seeds=tests/fuzz/corpus/${target%%_*}
    corpus="$probe/$target"
    mkdir -p "$corpus"
    if [ -d "$seeds" ]; then
      cp "$seeds"/* "$corpus"/
    fi
    echo "fuzz: $target for ${seconds}s on $(ls "$corpus" | wc -l) seeds from $seeds"
    "build-fuzz/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" >"$findings/$target.log" 2>&1 &
    pids+=("$!")
  done
  for index in "${!batch[@]}"; do
    target=${batch[index]}
    if ! wait "${pids[index]}"; then
      tail -n 40 "$findings/$target.log"
      failed+=("$target")
    else
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$target.log")
      echo "fuzz: $target: ${runs:-0} runs, $(( ${runs:-0} / seconds )) per second"
    fi
  done
done

if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs and logs in $findings)" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a finding"
