#!/usr/bin/env bash
# Builds the editor and runs it in the substitute host on the simulated instrument.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
vantrel_install_deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
cmake --build build -j "$(nproc)"
exec ./build/bin/vantrel_host "$@"
