#!/usr/bin/env bash
# step: the Windows build: quillow.exe cross-built with MinGW-w64 and run under wine against the real agent
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/windows-test.sh
