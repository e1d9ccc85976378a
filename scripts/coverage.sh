#!/usr/bin/env bash
# Builds with gcov line coverage into build-coverage/ (or $ZENTHRA_COVERAGE_DIR), runs the whole
# suite as scripts/test.sh does and prints the line coverage of src/, then the size of the code
# and of its tests in non-blank lines. Arguments go to ctest. The full report is left in
# <build>/coverage.txt. gcovr is installed here, when missing, so that the ordinary test run
# does not need it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZENTHRA_COVERAGE_DIR:-$top/build-coverage}"

if ! command -v gcovr >/dev/null; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "Installing: gcovr"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends gcovr
fi

# Counts from an earlier run would add to this one's.
if [ -d "$build" ]; then
    find "$build" -name '*.gcda' -delete
fi
# Unoptimised, so that each source line keeps code of its own to count; no benchmarks, as the
# suite does not run them.
ZENTHRA_BUILD_DIR="$build" \
    ZENTHRA_CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Debug -DZENTHRA_COVERAGE=ON -DZENTHRA_BUILD_BENCH=OFF" \
    "$top/scripts/test.sh" "$@"

cd "$top"
summary="$(gcovr --root "$top" --filter "$top/src/" --object-directory "$build" -j "$(nproc)" \
    --txt "$build/coverage.txt" --print-summary "$build")"
echo "$summary" | sed -n 's/^lines: \([0-9.]*\)%.*/src line coverage: \1 %/p'

nonblank() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'
}
src_lines="$(nonblank src)"
test_lines="$(nonblank tests)"
bench_lines="$(nonblank bench)"
echo "non-blank lines of .cpp/.h: src $src_lines, tests $test_lines, bench $bench_lines"
awk -v t="$test_lines" -v s="$src_lines" 'BEGIN { printf "tests/src: %.1f %%\n", 100 * t / s }'
