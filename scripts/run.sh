#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. Arguments go to the program
# (for example --folder DIR).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
exec "${ZENTHRA_BUILD_DIR:-$top/build}/src/zenthra" "$@"
