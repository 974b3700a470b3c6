#!/usr/bin/env bash
# Builds Quillow and fetches the system description from a throwaway local
# agent, showing what the tool printed and its exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
echo
echo "\$ build/quillow 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0"
bash scripts/with-agent.sh bash -c '
  status=0
  build/quillow 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0 || status=$?
  echo
  echo "(exit status $status)"
  exit $status'
