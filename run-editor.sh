#!/usr/bin/env bash
# Builds the editor and runs it in the substitute host on the simulated instrument.
# Options go to the host (./run-editor.sh --help lists them). Without a display the
# host runs offscreen and writes the page's picture to editor.png and each open editor
# window's to editor-windows/.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
vantrel_install_deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
cmake --build build -j "$(nproc)"
if [[ $# -eq 0 && -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display: running offscreen; the page goes to editor.png, each editor window to editor-windows/"
  exec ./build/bin/vantrel_host --screenshot editor.png --screenshot-dir editor-windows --measure
fi
exec ./build/bin/vantrel_host "$@"
