#!/usr/bin/env bash
# Builds and runs the codec benchmarks (Quillow's codec, and net-snmp's
# library beside it when it is installed), then prints the figures that the
# goals are judged by and draws the plot of decode time against bindings:
#   scripts/bench.sh [--quick] [extra Google Benchmark flags...]
# Results land in build-bench/: bench.json (the benchmark's own JSON output)
# and decode-vs-bindings.png. --quick runs every benchmark once, briefly, to
# show that all of them run and pass their checks; its times mean little.
# Nothing here judges a speed: a benchmark fails only when what it measures
# did not do what it should (a request that is not the tool's 40 bytes, a
# reply that does not decode to its bindings).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
if [ "${1:-}" = --quick ]; then quick=true; shift; fi
dir=build-bench

bash scripts/setup.sh bench
bash scripts/build.sh "$dir" -DQUILLOW_BENCH=ON -DQUILLOW_TEST=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo

if $quick; then
  flags=(--benchmark_min_time=0.01)
else
  # Five runs of each, shuffled among the others so that a change of load on
  # the machine does not fall on one benchmark alone; the median counts.
  flags=(--benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
         --benchmark_report_aggregates_only=true)
fi
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$dir/quillow-bench" "${flags[@]}" --benchmark_out="$dir/bench.json" --benchmark_out_format=json "$@"
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

errors=$(jq -r '.benchmarks[] | select(.error_occurred == true) | "\(.name): \(.error_message)"' "$dir/bench.json")
if [ -n "$errors" ]; then
  echo "benchmarks that failed their checks:" >&2
  echo "$errors" >&2
  exit 1
fi

bash scripts/bench-summary.sh "$dir/bench.json"
bash scripts/bench-plot.sh "$dir/bench.json" "$dir/decode-vs-bindings.png"
echo "plot: $dir/decode-vs-bindings.png"
