#!/usr/bin/env bash
# step: the whole suite again under AddressSanitizer (with its leak checker) and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh build-asan -DQUILLOW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 300 -j "$(nproc 2>/dev/null || echo 2)"
