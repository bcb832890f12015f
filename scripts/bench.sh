#!/usr/bin/env bash
# Runs every benchmark executable of a release build.
set -euo pipefail
build=${1:-build/release}
status=0
for bench in "$build"/bench/bench_*; do
    [[ -f "$bench" && -x "$bench" ]] || continue
    echo "== $(basename "$bench")"
    "$bench" || status=1
done
exit $status
