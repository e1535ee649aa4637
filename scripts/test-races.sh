#!/usr/bin/env bash
# Builds the application tests with ThreadSanitizer in build-tsan/ and runs there the differential test
# of the first steps over the full list against the plain step, on all cores: the rebuild of the list,
# the full list written when first read, the lists left unwritten between steps and the counts of sets
# are shared out among the workers. A data race ends the run with a failure.
# JOBS limits the build's parallel jobs (default: every core).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
build="${TSAN_BUILD_DIR:-$root/build-tsan}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENDRA_SANITIZE=thread \
  -DVENDRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target tests_app
# A shorter cross-section of its cases than the plain build runs: every way of working all the same.
TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1" QT_QPA_PLATFORM=offscreen \
  VENDRA_SHORT_FULL_SET_TESTS=1 \
  "$build/tests_app" --gtest_filter='StepAgainstPlain.FirstStepsOverTheFullList'
