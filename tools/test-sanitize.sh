#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang, in
# build-sanitize/, with the fuzz targets) and runs every test suite there. Any sanitizer
# report ends the program that made it with an error, so the suite fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
export KOLVANE_BUILD_DIR=$top/build-sanitize
export KOLVANE_CMAKE_ARGS="-DCMAKE_CXX_COMPILER=clang++ -DKOLVANE_SANITIZE=ON -DKOLVANE_FUZZ=ON"
"$top/tools/build.sh"
source "$top/tools/sanitizer-env.sh"
cd "$KOLVANE_BUILD_DIR"
ctest --output-on-failure -j"$(nproc)"
