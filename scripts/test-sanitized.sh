#!/usr/bin/env bash
# Builds Vendra with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/ and runs
# every test there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export BUILD_DIR="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
BUILD_TYPE=Debug "$root/scripts/build.sh" -DVENDRA_SANITIZE=ON -DVENDRA_BUILD_BENCH=OFF
cd "$BUILD_DIR"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --parallel "$(nproc)" --timeout 900
