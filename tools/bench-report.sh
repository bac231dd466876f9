#!/usr/bin/env bash
# Builds every benchmark of bench/ in a Release build of its own (build-bench), runs
# them one after the other with their figures written as JSON, runs the total recall over
# the kernel's ALSA sequencer in a QEMU guest (tools/alsa-guest.sh), adds the host
# program's own start-up figures (--measure), and prints one table of the headline figures
# beside their physical references (a 31250-baud MIDI cable, one 60 Hz frame).
#   VANTREL_BENCH_BUILD  build folder (default: build-bench)
#   VANTREL_JOBS         parallel build jobs (default: the processor count)
#   VANTREL_MEASURE_RUNS host program runs for the start-up figures (default: 3)
# The JSON files and the host's output stay in <build>/bench-report/.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./tools/deps.sh
vantrel_install_deps

build=${VANTREL_BENCH_BUILD:-build-bench}
jobs=${VANTREL_JOBS:-$(nproc)}
runs=${VANTREL_MEASURE_RUNS:-3}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BENCH=ON -DVANTREL_TESTS=OFF \
  -DVANTREL_SANITIZE=OFF -DVANTREL_FUZZ=OFF
cmake --build "$build" -j "$jobs"

out="$build/bench-report"
rm -rf "$out"
mkdir -p "$out"
# Offscreen, on the in-process bus, with settings and data of this run only: the
# figures never touch the user's editor settings or project.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QT_QPA_PLATFORM=offscreen VANTREL_MIDI_BACKEND=virtual
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"

shopt -s nullglob
benches=("$build"/bin/bench_*)
if [ ${#benches[@]} -eq 0 ]; then
  echo "no benchmark built in $build/bin" >&2
  exit 1
fi
status=0
for bench in "${benches[@]}"; do
  name=$(basename "$bench")
  echo "== $name"
  # One at a time: they measure wall time and share the processor with nothing of ours.
  if ! "$bench" --benchmark_out="$out/$name.json" --benchmark_out_format=json \
       --benchmark_counters_tabular=true >"$out/$name.txt" 2>"$out/$name.err"; then
    echo "$name failed (see $out/$name.err)" >&2
    status=1
  fi
done

# The same download over the kernel's sequencer, in a guest that has one; the JSON
# file lies in the shared build folder.
echo "== bench_recall_midi_service over the kernel's sequencer (QEMU guest)"
if ! ./tools/alsa-guest.sh --shared "$PWD/$build" -- "$PWD/$build/bin/bench_recall_midi_service" \
     --benchmark_filter=alsa --benchmark_out="$PWD/$out/bench_recall_midi_service_guest.json" \
     --benchmark_out_format=json >"$out/bench_recall_midi_service_guest.txt" 2>"$out/bench_recall_midi_service_guest.err"; then
  echo "bench_recall_midi_service in the guest failed (see $out/bench_recall_midi_service_guest.err)" >&2
  status=1
fi

echo "== vantrel_host --measure ($runs runs)"
for ((i = 1; i <= runs; ++i)); do
  rm -rf "$home/config" "$home/data"
  "$build/bin/vantrel_host" --no-project --measure --run-for 1 >"$out/host-measure-$i.txt" 2>>"$out/host-measure.err" \
    || { echo "vantrel_host --measure failed (see $out/host-measure.err)" >&2; status=1; }
done

echo
python3 tools/bench_table.py "$out"
exit "$status"
