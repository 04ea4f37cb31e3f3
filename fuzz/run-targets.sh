#!/usr/bin/env bash
# Runs every built fuzz target for SECONDS on its seed corpus, JOBS at a time,
# and prints each one's rate (executions per second) at the end. Fails when any
# target finds something: its output and the input it saved name the fault.
#
# Usage: fuzz/run-targets.sh BUILD_DIR SECONDS TRANSFER_MAX_LEN JOBS
set -euo pipefail
build=$1 seconds=$2 transfer_max_len=$3 jobs=$4

run_one() {
    local target=$1 name maxlen=()
    name=$(basename "$target")
    mkdir -p "$build/corpus/$name" "fuzz/corpus/$name"
    case $name in
        fuzz_transfer_records | fuzz_transfer_import | fuzz_transfer_roundtrip)
            maxlen=(-max_len="$transfer_max_len") ;;
    esac
    echo "== $name for $seconds s"
    local status=0
    ASAN_OPTIONS=${FUZZ_ASAN_OPTIONS:-} "$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=4096 "${maxlen[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$build/corpus/$name" "fuzz/corpus/$name" \
        >"$build/$name.log" 2>&1 || status=$?
    echo "$status" >"$build/$name.status"
    echo "== $name ended ($status)"
}
export -f run_one
export build seconds transfer_max_len

targets=()
for f in "$build"/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$f")
done
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$1"' _ {}

failed=0
echo "== fuzz rates"
for f in "${targets[@]}"; do
    name=$(basename "$f")
    if [ "$(cat "$build/$name.status")" != 0 ]; then
        echo "== $name failed:"
        cat "$build/$name.log"
        failed=1
        continue
    fi
    echo "$name: $(sed -n 's/^stat::average_exec_per_sec: *//p' "$build/$name.log") execs/s," \
        "$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log") inputs"
done
exit "$failed"
