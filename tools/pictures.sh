#!/usr/bin/env bash
# Builds the editor (as ./run-editor.sh does) and writes a picture of every editor
# window and dialog that tools/pictures.list names, from the substitute host's
# screenshot mode, into docs/pictures/ (or the folder given), with an index of them
# (README.md there). The host runs offscreen on the simulated instrument, with settings
# and data of its own and no project, so the pictures show the editor as first started;
# then those of tools/pictures-x11.list on an X server (./tools/pictures-x11.sh).
#   VANTREL_BUILD_DIR  build folder (default: build, the one ./run-editor.sh uses)
#   VANTREL_JOBS       parallel build jobs (default: the processor count)
#   VANTREL_DELAY_MS   wait before each picture (default: 500, at least 300: the editor's
#                      start-up prompt comes 250 ms after start and must find the first
#                      dialog, itself, still open)
set -euo pipefail
cd "$(dirname "$0")/.."
. ./tools/deps.sh
vantrel_install_deps

build=${VANTREL_BUILD_DIR:-build}
jobs=${VANTREL_JOBS:-$(nproc)}
delay=${VANTREL_DELAY_MS:-500}
((delay >= 300)) || delay=300
out=${1:-docs/pictures}
list=tools/pictures.list

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
cmake --build "$build" -j "$jobs" -t all vantrel_xpicture
host="$PWD/$build/bin/vantrel_host"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen VANTREL_MIDI_BACKEND=virtual

# The list without comments: picture window page caption.
entries=$(grep -v '^[[:space:]]*\(#\|$\)' "$list")
# The picture the host writes for NAME:ID.
host_name() {
  local name=${1%%:*} id=1
  [[ $1 == *:* ]] && id=${1#*:}
  echo "$name-$id.png"
}

# Host runs: "start" draws the page as the editor opens, with nothing asked for; "-"
# opens every other window without a page, each dialog in turn; then one run per
# detail page.
pages=$(awk '$2 != "page" {print $3}' <<<"$entries" | awk '!seen[$0]++')
for page in start $pages; do
  run="$work/run-$page"
  args=(--no-project --screenshot-dir "$run/windows" --delay "$delay")
  if [ "$page" = start ]; then
    args+=(--screenshot "$run/page.png")
  elif [ "$page" != "-" ]; then
    args+=(--page "$page")
  fi
  while read -r picture window p _; do
    [ "$p" = "$page" ] && [ "$window" != page ] && args+=(--open "$window")
  done <<<"$entries"
  echo "pictures of run $page"
  # A fresh first start each time: no settings, no saved windows.
  rm -rf "$work/config" "$work/data"
  if ! XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" timeout -s KILL 300 "$host" "${args[@]}" \
       >"$run.log" 2>&1; then
    cat "$run.log" >&2
    echo "the host could not draw the windows of run $page" >&2
    exit 1
  fi
done

mkdir -p "$out"
rm -f "$out"/*.png
index="$out/README.md"
{
  echo "# Pictures of the editor"
  echo
  echo "Written by \`./tools/pictures.sh\` from the substitute host's screenshot mode (offscreen, on the"
  echo "simulated instrument, first start). Dialogs that run a transfer are drawn as they end."
  echo "The last ones are taken on an X server (Xvfb, Qt's xcb platform) at the density they name."
  echo
} >"$index"
missing=0
while read -r picture window page caption; do
  if [ "$window" = page ]; then
    from="$work/run-start/page.png"
  else
    from="$work/run-$page/windows/$(host_name "$window")"
  fi
  if [ ! -f "$from" ]; then
    echo "no picture of $window (page $page) for $picture" >&2
    missing=1
    continue
  fi
  cp "$from" "$out/$picture"
  printf '## %s\n\n![%s](%s)\n\n' "$caption" "$caption" "$picture" >>"$index"
  echo "$out/$picture"
done <<<"$entries"
echo "pictures on an X server"
./tools/pictures-x11.sh "$host" "$out" >>"$index" || missing=1
exit "$missing"
