#!/usr/bin/env bash
# Installs what is needed, builds, and starts Kolvane. With --folder DIR it uses that folder;
# otherwise the folder demo/ in the repository. Without a display it starts Xvfb on :99.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
"$top/tools/build.sh"
folder="$top/demo"
if [ "${1:-}" = "--folder" ] && [ -n "${2:-}" ]; then folder=$2; fi
mkdir -p "$folder"
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :99 -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    export DISPLAY=:99
    sleep 1
    echo "No display: Kolvane runs on Xvfb $DISPLAY (screenshot: import -window root -display :99 shot.png)"
fi
"$top/build/kolvane" --folder "$folder"
