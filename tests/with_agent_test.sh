#!/usr/bin/env bash
# scripts/with-agent.sh passes the command's exit status on and leaves no
# folder of its own behind, however soon after the agent's start the
# command ends.
set -u
cd "$(dirname "$0")/.." || exit 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
for want in 0 3 0; do
    TMPDIR=$tmp bash scripts/with-agent.sh sh -c "exit $want"
    got=$?
    if [ "$got" != "$want" ]; then
        echo "with-agent.sh ended with $got for a command that ended with $want"
        failures=1
    fi
done
left=$(ls -A "$tmp")
if [ -n "$left" ]; then
    echo "with-agent.sh left behind: $left"
    failures=1
fi
exit "$failures"
