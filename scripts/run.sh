#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. Arguments go to the program
# (for example --folder DIR).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
# Said before minutes of installing and building, not after.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "Zenthra needs a display; on a machine without one: xvfb-run -a $0 $*" >&2
    exit 1
fi
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
exec "${ZENTHRA_BUILD_DIR:-$top/build}/src/zenthra" "$@"
