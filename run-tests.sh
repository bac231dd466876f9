#!/usr/bin/env bash
# Builds and runs every test: installs what is missing, builds with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs CTest, builds the suite again in Release
# without them and runs CTest there too (a test must not hang on the speed of a build),
# runs the ALSA tests of the Release build in a QEMU guest on a stock Debian kernel,
# builds the benchmarks, then builds the libFuzzer targets with clang and runs each for
# a short bounded time.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
vantrel_install_deps

# Set before the build: test discovery runs every test program while building.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_init_order=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
# Xvfb is installed above: the X server tests fail rather than skip without it.
export VANTREL_REQUIRE_XVFB=1

jobs=$(nproc)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON
cmake --build build-asan -j "$jobs"

ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 300

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release -j "$jobs"
ctest --test-dir build-release -j "$jobs" --output-on-failure --timeout 300

# The ALSA backend against the kernel's own sequencer, in a virtual machine: fails when
# the guest cannot boot or has no sequencer.
./tools/alsa-guest.sh --shared "$PWD/build-release" -- \
  env VANTREL_REQUIRE_ALSA=1 ctest --test-dir build-release -R Alsa --no-tests=error --output-on-failure --timeout 600

./tools/run-fuzzers.sh "${VANTREL_FUZZ_SECONDS:-20}"
