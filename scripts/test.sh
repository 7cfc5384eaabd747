#!/usr/bin/env bash
# Sets everything up, builds and runs every test (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
# Every C++ file laid out as .clang-format says.
scripts/check-format.sh
scripts/setup.sh build
cd build
# Four at a time on two cores: a third of the suite's time is spent waiting out the real
# two-second limits of the line, the settings lock and a save in progress, not computing.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j4
# The benchmark runs once with few repetitions so that it keeps working; its times are not judged here.
bench/cvdmxmap-bench --reps 3 --download-reps 1 >/dev/null
cd ..

# The grid read through the real AT-SPI bus under Xvfb, as a screen reader reads it; the
# benchmark once more with that bus, accessibility off and on.
scripts/check-accessibility.sh
scripts/bench-accessibility.sh --reps 3 >/dev/null

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCVDMX_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j2

# The libFuzzer targets, one minute each, from their seed corpora.
cd ..
scripts/fuzz.sh 60
