#!/usr/bin/env bash
# Configures and builds Kolvane into build/ (the program ends up at build/kolvane).
#
#   tools/build.sh                    everything (program, tools, tests, benches)
#   tools/build.sh TARGET...          only these targets (e.g. kolvane kolvane-sample-phonebook)
#
# KOLVANE_BUILD_DIR names another build folder, KOLVANE_CMAKE_ARGS adds configure options
# (the sanitizer build uses both). ccache is used when installed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${KOLVANE_BUILD_DIR:-$top/build}
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v ccache >/dev/null; then
    # Paths below the top are hashed relative to it, so clones in other folders share hits.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# shellcheck disable=SC2206
args+=(${KOLVANE_CMAKE_ARGS:-})
cmake -S "$top" -B "$dir" "${args[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
