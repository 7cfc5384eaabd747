#!/usr/bin/env bash
# Sets everything up, builds and runs every test (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
# The benchmark runs once with few repetitions so that it keeps working; its times are not judged here.
bench/cvdmxmap-bench --reps 3 --download-reps 1 >/dev/null
