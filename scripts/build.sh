#!/usr/bin/env bash
# Configures and builds Quillow into a build folder (default: build).
#   scripts/build.sh [DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DQUILLOW_WERROR="${QUILLOW_WERROR:-$werror}" "$@" >/dev/null
# Progress lines are dropped; warnings and errors show.
cmake --build "$dir" --parallel "$(nproc 2>/dev/null || echo 2)" 2>&1 | { grep -v '^\[[0-9]*/[0-9]*\]' || true; }
