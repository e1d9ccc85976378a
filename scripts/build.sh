#!/usr/bin/env bash
# Configures and builds into build/ (or $ZENTHRA_BUILD_DIR): an optimised Release build, the
# one users and packagers make and the one the benchmarks are measured with, with warnings as
# errors. Later arguments go to cmake and override these.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZENTHRA_BUILD_DIR:-$top/build}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTHRA_WERROR=ON "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
