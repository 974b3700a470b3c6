#!/usr/bin/env bash
# step: benchmarks built and each run once briefly, the summary and plot made from their output, and the process timing run (no speed is judged)
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/bench.sh --quick
bash scripts/bench-process.sh 30
