#!/usr/bin/env bash
# The step and the scenario test beside their plain loops, on all cores and on one core, in one go.
# OpenMP's threads wait passively between loops, so that they take no core from the program's own.
# Usage: bench/side-by-side.sh [build folder] [extra benchmark options]
set -euo pipefail
build="${1:-build}"
shift || true
export OMP_WAIT_POLICY=passive
for threads in "" 1; do
  echo "== VENDRA_THREADS=${threads:-all} ($(nproc) cores)"
  VENDRA_THREADS="$threads" "$build/vendra_bench" \
    --benchmark_filter='SideBySide|StartList|FullRecreate|ScenarioTest5Lines' "$@"
done
