#!/usr/bin/env bash
# Builds the application tests with ThreadSanitizer in build-tsan/ and runs there the differential tests
# of the statistics step whose work is shared out among all cores (the rebuild of the list, the full
# list written when first read, the counts of sets). A data race ends the run with a failure.
# JOBS limits the build's parallel jobs (default: every core).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
build="${TSAN_BUILD_DIR:-$root/build-tsan}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENDRA_SANITIZE=thread \
  -DVENDRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target tests_app
# A shorter chain of first steps over the full list than the plain build runs: every way of working
# all the same, in a few minutes.
TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1" QT_QPA_PLATFORM=offscreen \
  VENDRA_SHORT_FULL_SET_TESTS=1 \
  "$build/tests_app" --gtest_filter='StepAgainstPlain.FirstStepsOverTheFullList:StepFilterFixture.*'
