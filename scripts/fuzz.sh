#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang in build-fuzz and runs each one for
# SECONDS (default 60) from a fresh copy of its seed corpus, so fuzz/corpus is never
# written. Prints the executions of each target; exits non-zero when one crashed, with
# the path of the input that did it.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build-fuzz
targets=(mapfile settings download)

# libclang-rt-14-dev holds libFuzzer's runtime and the sanitizer runtimes.
scripts/install-packages.sh cmake make clang-14 libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins libgl-dev \
  fonts-dejavu-core

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCVDMX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -j2 >/dev/null

status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  crashes="$build/crashes/$t"
  log="$build/fuzz_$t.log"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$crashes"
  cp fuzz/corpus/"$t"/* "$corpus"/
  if QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions="$PWD/fuzz/lsan.supp" \
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz_$t: ${runs:-?} executions in ${seconds} s, no crash"
  else
    status=1
    echo "fuzz_$t: CRASHED (log: $log)"
    grep -E '^==[0-9]+==ERROR|^==FUZZ CHECK FAILED==|^SUMMARY:|runtime error:|Test unit written to' "$log" || tail -n 20 "$log"
  fi
done
exit $status
