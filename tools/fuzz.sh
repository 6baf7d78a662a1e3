#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/fuzz_*.cpp, clang with the sanitizers, in
# build-sanitize/) and runs each for SECONDS (default 600), one after the other.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]
#
# Each target starts from its seed corpus tests/fuzz/corpus/<name>/ (the reference lookup
# also from the Access files in tests/fixtures/) and keeps what it finds in
# build-sanitize/fuzz/corpus/<target>/; a crashing input lands in build-sanitize/fuzz/ and
# the script fails. One line per target tells how many inputs it ran.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
export KOLVANE_BUILD_DIR=$top/build-sanitize
if [ "${KOLVANE_FUZZ_NO_BUILD:-}" != 1 ]; then
    "$top/tools/install-deps.sh"
    export KOLVANE_CMAKE_ARGS="-DCMAKE_CXX_COMPILER=clang++ -DKOLVANE_SANITIZE=ON -DKOLVANE_FUZZ=ON"
    "$top/tools/build.sh" fuzzers >/dev/null
fi
source "$top/tools/sanitizer-env.sh"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

work=$KOLVANE_BUILD_DIR/fuzz
mkdir -p "$work"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$top"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

failed=0
for t in "${targets[@]}"; do
    program=$KOLVANE_BUILD_DIR/tests/fuzz/$t
    seeds=$top/tests/fuzz/corpus/${t#fuzz_}
    corpus=$work/corpus/$t
    mkdir -p "$corpus"
    args=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1
        -artifact_prefix="$work/$t-")
    if [ "$t" = fuzz_reference ]; then
        # The Access fixtures are seeds as they are; the largest stays out to keep runs quick.
        seed_files=$(ls "$top"/tests/fixtures/*.mdb "$top"/tests/fixtures/*.accdb |
            grep -v nwind.mdb | paste -sd, -)
        args+=(-seed_inputs="$seed_files" -max_len=450000)
    fi
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    status=0
    "$program" "${args[@]}" "${dirs[@]}" >"$work/$t.log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log" | tail -n 1)
    echo "$t: ${runs:-?} inputs in ${seconds} s, corpus $(ls "$corpus" | wc -l) files, status $status"
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "  its log: $work/$t.log" >&2
        grep -E "ERROR|SUMMARY|Test unit written" "$work/$t.log" | head -n 5 >&2 || true
    fi
done
exit $failed
