#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each, in parallel, for a bounded
# time on a copy of its seed corpus. Fails when any target finds a crash.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzz targets skipped"
  exit 0
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
shopt -s nullglob
targets=()
for t in build-fuzz/fuzz/fuzz_*; do
  [ -f "$t" ] && [ -x "$t" ] && targets+=("$t")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 0
fi
# LeakSanitizer is off, so libFuzzer's second run of an input that allocated more than
# it freed (its leak check) would find nothing: -detect_leaks=0 spares that run.
export ASAN_OPTIONS=detect_leaks=0
export QT_QPA_PLATFORM=offscreen
pids=()
for t in "${targets[@]}"; do
  name=${t##*/fuzz_}
  work=build-fuzz/run/$name
  rm -rf "$work" && mkdir -p "$work/corpus"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/corpus/"
  ( "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -detect_leaks=0 -artifact_prefix="$work/" \
      "$work/corpus" >"$work/log" 2>&1 ) &
  pids+=("$!:$name")
done
failed=0
for entry in "${pids[@]}"; do
  pid=${entry%%:*}; name=${entry#*:}
  if wait "$pid"; then
    echo "fuzz $name: clean ($(grep -Eo '^Done [0-9]+ runs' "build-fuzz/run/$name/log" | tail -1 | cut -d" " -f2) runs)"
  else
    echo "fuzz $name: FAILED"; tail -40 "build-fuzz/run/$name/log"; failed=1
  fi
done
n=${#targets[@]}
echo "fuzz: $n targets run"
exit $failed
