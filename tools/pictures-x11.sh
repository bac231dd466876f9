#!/usr/bin/env bash
# Takes the pictures of tools/pictures-x11.list on an X server of its own (Xvfb, on the
# first free display) with Qt's xcb platform at each picture's density, from the
# substitute host's screenshot mode, and writes them into the folder given. Prints the
# index entries of the pictures written (./tools/pictures.sh adds them to its index).
# The host window itself is taken from the X server by vantrel_xpicture, which sits
# beside the host program.
#   tools/pictures-x11.sh HOST [FOLDER]   HOST: the vantrel_host program;
#                                         FOLDER: default docs/pictures
#   VANTREL_DELAY_MS      wait before each picture (default 500, at least 300)
#   VANTREL_XVFB_DISPLAY  the display to take (e.g. :81; default: the first free one)
set -euo pipefail
cd "$(dirname "$0")/.."
host=${1:?the vantrel_host program}
out=${2:-docs/pictures}
delay=${VANTREL_DELAY_MS:-500}
((delay >= 300)) || delay=300
list=tools/pictures-x11.list
xpicture="$(dirname "$host")/vantrel_xpicture"
command -v Xvfb >/dev/null || { echo "Xvfb is missing (Debian package xvfb)" >&2; exit 1; }

work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Xvfb writes the display it took once it is ready; room for the host window at 2x.
Xvfb ${VANTREL_XVFB_DISPLAY:-} -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$work/display" \
  2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

mkdir -p "$out"
host_name() {
  local name=${1%%:*} id=1
  [[ $1 == *:* ]] && id=${1#*:}
  echo "$name-$id.png"
}
status=0
# The host window as the X server shows it, with no window manager: one window, the page
# inside it. The host closes its start-up prompt itself (--run-for); the picture's close
# request ends it.
xserver_picture() {
  local run=$1 scale=$2 shot=$3 status=0
  mkdir -p "$run"
  DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" VANTREL_MIDI_BACKEND=virtual \
    XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" timeout -s KILL 300 "$host" --no-project \
    --run-for 120000 >"$run.log" 2>&1 &
  local pid=$!
  "$xpicture" "$display" "TOVAR-VANTREL (Multi)" "$shot" || status=1
  wait "$pid" || status=1
  return $status
}

while read -r picture scale window page caption; do
  run="$work/$picture"
  if [ "$window" = xserver ]; then
    if ! xserver_picture "$run" "$scale" "$out/$picture"; then
      cat "$run.log" >&2
      echo "the host window could not be pictured on $display for $picture" >&2
      status=1
      continue
    fi
    echo "$out/$picture" >&2
    printf '## %s\n\n![%s](%s)\n\n' "$caption" "$caption" "$picture"
    continue
  fi
  args=(--no-project --open "$window" --screenshot-dir "$run/windows" --delay "$delay")
  [ "$page" != "-" ] && args+=(--page "$page")
  # A fresh first start each time: no settings, no saved windows.
  if ! DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" VANTREL_MIDI_BACKEND=virtual \
       XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" timeout -s KILL 300 "$host" "${args[@]}" \
       >"$run.log" 2>&1; then
    cat "$run.log" >&2
    echo "the host could not draw $window on $display for $picture" >&2
    status=1
    continue
  fi
  cp "$run/windows/$(host_name "$window")" "$out/$picture"
  echo "$out/$picture" >&2
  printf '## %s\n\n![%s](%s)\n\n' "$caption" "$caption" "$picture"
done < <(grep -v '^[[:space:]]*\(#\|$\)' "$list")
exit "$status"
