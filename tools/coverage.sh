#!/usr/bin/env bash
# Builds the test suite with gcc's coverage instrumentation (Debug, no sanitizers) in
# build-cov, runs every test, and prints line and branch coverage per library with gcovr.
# Tests, fuzz targets, benchmarks, tools and everything generated into the build tree
# (moc, uic, rcc, image registration) are left out. Exits with CTest's status, after the
# table, so that a failing test does not hide the figures.
#   VANTREL_JOBS   parallel build and test jobs (default: the processor count)
set -euo pipefail
cd "$(dirname "$0")/.."
. ./tools/deps.sh
# gcovr is this script's own need, not the test command's.
vantrel_packages="$vantrel_packages gcovr"
vantrel_install_deps

jobs=${VANTREL_JOBS:-$(nproc)}
build=build-cov
export QT_QPA_PLATFORM=offscreen

# Atomic counters: the tests run threads, and racing counters make counts gcov cannot read.
# The libraries keep libgcov's symbols to themselves (the add-ons export their factory only).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=OFF \
  -DVANTREL_BENCH=OFF -DVANTREL_FUZZ=OFF \
  "-DCMAKE_CXX_FLAGS=--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  "-DCMAKE_SHARED_LINKER_FLAGS=--coverage -Wl,--exclude-libs,libgcov.a" \
  "-DCMAKE_MODULE_LINKER_FLAGS=--coverage -Wl,--exclude-libs,libgcov.a"
# Counts from an earlier run would add to this one's.
find "$build" -name '*.gcda' -delete
cmake --build "$build" -j "$jobs"
# Test discovery ran the test programs while building; start the counts from the tests.
find "$build" -name '*.gcda' -delete

status=0
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 300 || status=$?

mkdir -p "$build/coverage"
gcovr --root . --object-directory "$build" -j "$jobs" \
  --exclude '(.*/)?tests/' --exclude 'fuzz/' --exclude 'bench/' --exclude 'tools/' \
  --exclude 'build[^/]*/' --exclude 'platform/testing/' \
  --exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors \
  --json-summary-pretty --json-summary "$build/coverage/summary.json" \
  --txt "$build/coverage/files.txt"
python3 tools/coverage_table.py "$build/coverage/summary.json"
echo "Per file: $build/coverage/files.txt"
exit "$status"
