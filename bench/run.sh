#!/usr/bin/env bash
# Builds every benchmark and runs them one after the other, printing their figures.
# Usage: bench/run.sh [build-dir]   (default: build/ at the top of the source tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    cmake -S "$top" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Two jobs at most: the machine is shared.
cmake --build "$build" -j2 --target benches
while IFS= read -r program; do
    [ -n "$program" ] || continue
    echo "=== $(basename "$program")"
    "$program"
    echo
done <"$build/bench/benches.txt"
