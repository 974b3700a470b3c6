#!/usr/bin/env bash
# step: fuzz the message decoder with libFuzzer for a minute (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# Starts from the committed seeds and the saved regression inputs, copied to a
# scratch folder so that the tree is never written. Any crash, leak, property
# violation, slow input or runaway memory fails the step, and the input that
# did it is printed in hexadecimal. QUILLOW_FUZZ_SECONDS sets another time.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
bash scripts/setup.sh fuzz
bash scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQUILLOW_FUZZ=ON -DQUILLOW_TEST=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts"
cp fuzz/corpus/* "$work/corpus/"
if [ -d fuzz/regressions ]; then cp fuzz/regressions/* "$work/corpus/"; fi

status=0
(
  cd "$work"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-fuzz/fuzz/parser_fuzzer" -max_total_time="${QUILLOW_FUZZ_SECONDS:-60}" -max_len=4096 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/" corpus \
    >"$work/fuzz.log" 2>&1
) || status=$?

# The progress lines and the suggested dictionary are many; the summary and
# any report are what matter.
grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|^".*" # Uses: [0-9]+$|recommended dictionary' "$work/fuzz.log" |
  tail -n 80
if [ "$status" -ne 0 ]; then
  for input in "$work"/artifacts/*; do
    [ -e "$input" ] || continue
    echo "input that failed ($(basename "$input")):"
    od -An -tx1 -v "$input"
  done
  echo "fuzzing failed (status $status)" >&2
  exit "$status"
fi
