#!/usr/bin/env bash
# Runs each test binary of a build (build/, or the folder given by BUILD_DIR; scripts/test.sh builds
# it) once in one process with its tests in a random order, so that a test that passes only after
# another, or fails after one, shows. The seed is chosen here and printed first; SEED=<seed> runs the
# same orders again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
seed="${SEED:-$(((RANDOM * 32768 + RANDOM) % 99999 + 1))}"
echo "Tests in a random order, seed $seed (again with: SEED=$seed bash scripts/test-shuffled.sh)"
failed=()
for name in tests_common tests_lottery tests_online tests_app tests_ui; do
  if [ ! -x "$build/$name" ]; then
    echo "$build/$name is missing" >&2
    exit 1
  fi
  echo "== $name --gtest_shuffle --gtest_random_seed=$seed"
  start=$SECONDS
  if ! QT_QPA_PLATFORM=offscreen "$build/$name" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1; then
    failed+=("$name")
  fi
  echo "== $name: $((SECONDS - start)) s"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed in a random order with seed $seed: ${failed[*]}" >&2
  exit 1
fi
