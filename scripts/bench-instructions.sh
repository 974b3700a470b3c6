#!/usr/bin/env bash
# Counts the instructions that one operation of the benchmark binary costs,
# with valgrind's callgrind: stable on a busy machine, where wall-clock
# figures are not. Without names it counts every operation.
#   scripts/bench-instructions.sh [BUILD_DIR] [OPERATION...]
# BUILD_DIR defaults to build-bench (made by scripts/bench.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-bench
if [ $# -gt 0 ] && [ -d "$1" ]; then dir=$1; shift; fi
bench="$dir/quillow-bench"
[ -x "$bench" ] || { echo "no $bench: run scripts/bench.sh first" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "valgrind is missing: apt-get install valgrind" >&2; exit 1; }
count=${QUILLOW_REPEAT:-2000}
names=("$@")
[ ${#names[@]} -gt 0 ] || mapfile -t names < <("$bench" --list)

out=$(mktemp)
trap 'rm -f "$out"' EXIT
printf '%-40s %14s\n' operation instructions/op
for name in "${names[@]}"; do
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='*repeatOperation*' \
    "$bench" --repeat "$name" "$count" >/dev/null 2>&1 || { echo "$name: failed" >&2; exit 1; }
  total=$(sed -n 's/^summary: *//p' "$out")
  printf '%-40s %14d\n' "$name" $(( total / count ))
done
