#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
"$top/tools/build.sh"
cd "$top/build"
ctest --output-on-failure -j"$(nproc)"
