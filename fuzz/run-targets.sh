#!/usr/bin/env bash
# Runs every built fuzz target until it has used SECONDS of CPU time on its
# seed corpus, JOBS at a time, and prints each one's rate (executions per CPU
# second) at the end. Fails when any target finds something: its output and
# the input it saved name the fault.
#
# The budget is CPU time, not time on the clock: a target that shares the
# machine with a build or a test run fuzzes as much as one that has it alone,
# only later. libFuzzer knows only the clock, so each target is watched and
# interrupted (its status then 72, after its final statistics) once its CPU
# time reaches the budget. A clock limit of ten times the budget ends a target
# that cannot get the CPU at all; its rate line then says how much it had.
#
# Usage: fuzz/run-targets.sh BUILD_DIR SECONDS TRANSFER_MAX_LEN JOBS
set -euo pipefail
build=$1 seconds=$2 transfer_max_len=$3 jobs=$4

# CPU seconds (user and system) the process `pid` has used so far.
cpu_seconds() {
    local fields
    { read -ra fields <"/proc/$1/stat"; } 2>/dev/null || return 1
    # Fields 14 and 15 (utime, stime) in clock ticks; a target's name holds no blank.
    echo $(((fields[13] + fields[14]) / ticks))
}

run_one() {
    local target=$1 name maxlen=()
    name=$(basename "$target")
    mkdir -p "$build/corpus/$name" "fuzz/corpus/$name"
    case $name in
        fuzz_transfer_records | fuzz_transfer_import | fuzz_transfer_roundtrip)
            maxlen=(-max_len="$transfer_max_len") ;;
    esac
    echo "== $name for $seconds s of CPU"
    ASAN_OPTIONS=${FUZZ_ASAN_OPTIONS:-} "$target" -max_total_time="$((seconds * 10))" -timeout=10 \
        -rss_limit_mb=4096 "${maxlen[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$build/corpus/$name" "fuzz/corpus/$name" \
        >"$build/$name.log" 2>&1 &
    local pid=$! used=0 status=0 interrupted=0 grace=0
    while kill -0 "$pid" 2>/dev/null; do
        used=$(cpu_seconds "$pid") || break
        if [ "$used" -ge "$seconds" ]; then
            kill -INT "$pid" 2>/dev/null || true
            interrupted=1
            break
        fi
        sleep 0.5
    done
    # libFuzzer's interrupt handler allocates: when the signal lands inside the
    # sanitizer's allocator, the target hangs on the allocator's lock after its
    # final statistics. One still there 30 s after the interrupt is killed.
    while [ "$interrupted" = 1 ] && [ "$grace" -lt 60 ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.5
        grace=$((grace + 1))
    done
    if [ "$interrupted" = 1 ] && kill -0 "$pid" 2>/dev/null; then
        echo "== $name did not end after its interrupt: killed"
        kill -KILL "$pid"
    fi
    wait "$pid" || status=$?
    # Interrupted at its budget (and killed if it hung on its way out): a whole
    # run, not a finding.
    if [ "$interrupted" = 1 ] && { [ "$status" = 72 ] || [ "$status" = 137 ]; } &&
        grep -q 'libFuzzer: run interrupted' "$build/$name.log"; then
        status=0
    fi
    echo "$used" >"$build/$name.cpu"
    echo "$status" >"$build/$name.status"
    echo "== $name ended ($status)"
}
ticks=$(getconf CLK_TCK)
export -f run_one cpu_seconds
export build seconds transfer_max_len ticks

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
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log")
    cpu=$(cat "$build/$name.cpu")
    echo "$name: $((runs / (cpu > 0 ? cpu : 1))) execs per CPU second, $runs inputs in $cpu s of CPU"
done
exit "$failed"
