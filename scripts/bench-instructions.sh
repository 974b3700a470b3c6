#!/usr/bin/env bash
# Counts the instructions and the heap allocations that one operation of the
# benchmark binary costs, with valgrind (callgrind for the instructions,
# memcheck's heap summary for the allocations): figures that stay the same on
# a busy machine, where times do not. Without names it counts every
# operation.
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
# The allocations of a run of COUNT operations, less those of a run of none.
allocations() {
  valgrind --tool=memcheck "$bench" --repeat "$1" "$2" 2>&1 >/dev/null |
    sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
}

few=100
printf '%-40s %16s %16s\n' operation instructions/op allocations/op
for name in "${names[@]}"; do
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='*repeatOperation*' \
    "$bench" --repeat "$name" "$count" >/dev/null 2>&1 || { echo "$name: failed" >&2; exit 1; }
  total=$(sed -n 's/^summary: *//p' "$out")
  none=$(allocations "$name" 0)
  some=$(allocations "$name" "$few")
  printf '%-40s %16d %16s\n' "$name" $(( total / count )) \
    "$(awk -v a="$none" -v b="$some" -v n="$few" 'BEGIN { printf "%.1f", (b - a) / n }')"
done
