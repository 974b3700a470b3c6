#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, and runs every unit
# and end-to-end test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 120 -j "$(nproc 2>/dev/null || echo 2)"
