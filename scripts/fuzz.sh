#!/usr/bin/env bash
# Runs every fuzz harness built in DIR for SECONDS each, from its seed corpus in tests/fuzz/corpus/<name>.
# New inputs go to DIR/fuzz-work/<name>, never into the checked-in corpus. Any crash, input slower than
# one second or leak fails the run; the input that did it is kept as DIR/fuzz-artifacts/<name>-*.
set -uo pipefail
dir=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
failed=()
for harness in "$dir"/tests/fuzz/fuzz_*; do
    [[ -x "$harness" && -f "$harness" ]] || continue
    name=$(basename "$harness")
    name=${name#fuzz_}
    work="$dir/fuzz-work/$name"
    mkdir -p "$work" "$dir/fuzz-artifacts"
    echo "fuzz $name: ${seconds}s"
    if ! "$harness" -max_total_time="$seconds" -timeout=1 -detect_leaks=1 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/fuzz-artifacts/$name-" \
        "$work" "$root/tests/fuzz/corpus/$name" > "$dir/fuzz-work/$name.log" 2>&1; then
        tail -n 40 "$dir/fuzz-work/$name.log"
        failed+=("$name")
    else
        grep -E "stat::number_of_executed_units|stat::new_units_added" "$dir/fuzz-work/$name.log" | tr '\n' ' '
        echo
    fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz: failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: every harness ran ${seconds}s without a finding"
