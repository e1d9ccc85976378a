#!/usr/bin/env bash
# Configures and builds into build/ (or $ZENTHRA_BUILD_DIR): an optimised Release build, the
# one users and packagers make and the one the benchmarks are measured with, with warnings as
# errors. $ZENTHRA_CMAKE_ARGS (split at spaces), then later arguments go to cmake and override
# these; scripts/test.sh builds through here, so the checking builds pass their options that way.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZENTHRA_BUILD_DIR:-$top/build}"
read -r -a extra <<<"${ZENTHRA_CMAKE_ARGS:-}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTHRA_WERROR=ON "${extra[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
