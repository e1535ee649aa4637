#!/usr/bin/env bash
# Installs what is missing, builds and starts Vendra. Its data files lie beside the program
# (build/), or in the folder named by VENDRA_HOME.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/Vendra" "$@"
