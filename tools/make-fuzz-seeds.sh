#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets that make their own seeds with the
# project's writers (a saved document, the editor's clipboard payload, the data
# folder's files, ...) into fuzz/corpus/<name>/, replacing what was there. Run it
# after changing a target's input form or a writer it uses, then commit the corpora.
# Usage: tools/make-fuzz-seeds.sh [build folder, default build-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
targets=(document_stream older_stream midi_intake host_midi_bytes transport_midi_bytes clipboard voice_banks)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
for t in "${targets[@]}"; do
  rm -rf "fuzz/corpus/$t"
  VANTREL_FUZZ_SEEDS="$PWD/fuzz/corpus" "$build/fuzz/fuzz_$t" >/dev/null 2>&1
  echo "fuzz/corpus/$t: $(ls "fuzz/corpus/$t" | wc -l) seeds"
done
