#!/usr/bin/env bash
# Runs every benchmark of a build and writes their figures, each beside the
# baseline it measured in the same run, into a Markdown report.
#   bench/report.sh BUILD_DIR [REPORT]      (default report: docs/performance.md)
set -euo pipefail
build=${1:?usage: bench/report.sh BUILD_DIR [REPORT]}
report=${2:-docs/performance.md}
benches=()
for b in "$build"/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] && benches+=("$b")
done
[ ${#benches[@]} -gt 0 ] || { echo "no benchmarks in $build/bench" >&2; exit 1; }

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
{
    echo "# Performance"
    echo
    echo "Written by \`make bench\` ($(date -u '+%Y-%m-%d %H:%M UTC'), commit" \
        "$(git rev-parse --short HEAD 2>/dev/null || echo unknown))."
    echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)," \
        "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo) memory."
    echo "Every figure stands beside a baseline measured in the same run on the same machine"
    echo "and disk, with their ratio: compare ratios between runs, not absolute times."
    for b in "${benches[@]}"; do
        name=$(basename "$b")
        echo
        echo "## $name"
        echo
        echo '```'
        started=$SECONDS
        echo "== $name" >&2
        if ! "$b" 2>&1 | tee /dev/stderr; then
            echo "(failed)"
            status=1
        fi
        echo '```'
        echo
        echo "Run time: $((SECONDS - started)) s."
    done
} > "$tmp"
mkdir -p "$(dirname "$report")"
mv "$tmp" "$report"
trap - EXIT
echo "Report written to $report"
exit ${status:-0}
