#!/usr/bin/env bash
# Runs every benchmark of a build and writes their figures, each beside the
# baseline it measured in the same run, into a Markdown report.
#   bench/report.sh [--only NAME] BUILD_DIR [REPORT]   (default report: bench/performance.md)
# With --only, just bench_NAME runs (`make bench-attacks` runs the attack probe
# so) and the report holds its figures alone.
set -euo pipefail
only=
if [ "${1:-}" = --only ]; then
    only=${2:?usage: bench/report.sh [--only NAME] BUILD_DIR [REPORT]}
    shift 2
fi
build=${1:?usage: bench/report.sh [--only NAME] BUILD_DIR [REPORT]}
report=${2:-bench/performance.md}
benches=()
for b in "$build"/bench/bench_${only:-*}; do
    [ -f "$b" ] && [ -x "$b" ] && benches+=("$b")
done
[ ${#benches[@]} -gt 0 ] || { echo "no benchmarks in $build/bench" >&2; exit 1; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
tmp=$(mktemp)
sections=$(mktemp)
trap 'rm -f "$tmp" "$sections"' EXIT
# Each benchmark's output under its own heading; lines "goal | ..." also go
# into the table of goals at the top.
for b in "${benches[@]}"; do
    name=$(basename "$b")
    started=$SECONDS
    echo "== $name" >&2
    {
        echo
        echo "## $name"
        echo
        echo '```'
        if ! "$b" 2>&1 | tee /dev/stderr; then
            echo "(failed)"
            status=1
        fi
        echo '```'
        echo
        echo "Run time: $((SECONDS - started)) s."
    } >> "$sections"
done

{
    echo "# Performance"
    echo
    echo "Written by \`make bench\` ($(date -u '+%Y-%m-%d %H:%M UTC'), commit" \
        "$(git rev-parse --short HEAD 2>/dev/null || echo unknown))."
    echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)," \
        "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo) memory."
    echo "Every figure stands beside a baseline measured in the same run on the same machine"
    echo "and disk, with their ratio: compare ratios between runs, not absolute times."
    echo "Load average (1, 5, 15 min) before the run: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)."
    echo "Figures taken while other work ran on the machine are slower, ratios less so."
    echo
    echo "## Goals"
    echo
    echo "| path | measured | floor | ratio | goal | |"
    echo "|---|---|---|---|---|---|"
    grep '^goal | ' "$sections" | sed 's/^goal //; s/$/ |/' || true
    grep -v '^goal | ' "$sections"
} > "$tmp"
mkdir -p "$(dirname "$report")"
mv "$tmp" "$report"
rm -f "$sections"
trap - EXIT
echo "Report written to $report"
exit ${status:-0}
