#!/usr/bin/env bash
# Host texts that do not give an IPv4 address, and the usage path.
#   bash cli.sh QUILLOW RESPONDER
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_enter "$@"

# unresolvable NAME HOST: the no-reply text well before the 5 s timeout, and
# no datagram sent anywhere on this machine, where a responder on every
# local address listens on port 161 meanwhile.
unresolvable() {
    local name=$1 host=$2
    e2e_responder_start --any --expect-none --wait 60 || return 0
    e2e_check "$name" 2 "$NO_REPLY" "$host" harbour 1.3.6.1.2.1.1.1.0
    e2e_elapsed "$e2e_ended" "$e2e_started" lt 4 || e2e_fail "$name" "took as long as a timeout"
    kill -TERM "$e2e_responder_pid" 2>/dev/null || true
    e2e_responder_wait "$name"
}

unresolvable "host name that does not resolve" nonexistent.invalid
unresolvable "empty host" ""
unresolvable "host name with an IPv6 address only" six.quillow.test

# usage NAME ARGS...: the usage text and exit status 1.
usage() {
    local name=$1 status=0
    shift
    e2e_checks=$((e2e_checks + 1))
    "$QUILLOW" "$@" >"$work/stdout" 2>"$work/stderr" || status=$?
    if [ "$status" != 1 ] || ! grep -q 'ipAddress community oid' "$work/stdout" || [ -s "$work/stderr" ]; then
        e2e_fail "$name" "exit status $status; printed: $(head -c 300 "$work/stdout")$(cat "$work/stderr")"
    else
        echo "ok   $name"
    fi
}

usage "no arguments"
usage "two arguments" 127.0.0.1 harbour
usage "four arguments" 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0 extra

e2e_finish
