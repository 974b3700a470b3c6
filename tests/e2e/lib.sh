# Shared by the end-to-end suites; sourced, not run.
#
# A suite is started by CTest as
#   bash SUITE.sh QUILLOW RESPONDER
# with the tool and the scripted responder of the build under test. It calls
# e2e_enter first, which starts it again inside private user, network and
# mount namespaces: port 161 needs no privileges there, nothing on the host
# is touched, and the suite's own hosts file stands in for /etc/hosts. Each
# check runs the real tool once and compares its standard output byte for
# byte, its exit status, and its standard error (which must stay empty, so
# that a sanitizer's report fails the check too).

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_repo=$(cd "$e2e_here/../.." && pwd)

# The outcome texts of the tool, as it prints them.
NO_REPLY=$'ERROR P1: No returned packet.  Your SNMP community string may be incorrect, or there may be a problem communicating with the device.\n'
ID_MISMATCH=$'ERROR: Request ID does not match\n'
ERROR_STATUS=$'ERROR: Error receiving packet\n'

e2e_failures=0
e2e_checks=0

e2e_enter() {
    if [ "${QUILLOW_E2E_INSIDE:-}" != 1 ]; then
        QUILLOW_E2E_INSIDE=1 exec unshare -rnm bash "$0" "$@"
    fi
    QUILLOW=$(realpath "$1")
    RESPONDER=$(realpath "$2")
    [ -x "$QUILLOW" ] || { echo "no tool at $1" >&2; exit 1; }
    [ -x "$RESPONDER" ] || { echo "no responder at $2" >&2; exit 1; }
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    if [ "${QUILLOW_E2E_HOSTS:-}" != 1 ]; then
        ip link set lo up
        # One name for the loopback agent, and one with an IPv6 address only (not
        # ::1, which the C library turns into 127.0.0.1 for an IPv4 lookup).
        local hosts='127.0.0.1 agent.quillow.test\n2001:db8::7 six.quillow.test\n'
        if [ -e /etc/hosts ]; then
            printf "$hosts" >"$work/hosts"
            mount --bind "$work/hosts" /etc/hosts
        else
            # A bare root (a fresh debootstrap one, say) may have no hosts
            # file to cover; then a copy of /etc with one stands in for /etc.
            mkdir "$work/etc"
            cp -a /etc/. "$work/etc/" 2>/dev/null || true
            printf "$hosts" >"$work/etc/hosts"
            mount --bind "$work/etc" /etc
        fi
        export QUILLOW_E2E_HOSTS=1
    fi
}

# Seconds since the epoch, with fractions.
e2e_now() { date +%s.%N; }
# Succeeds when $1 - $2 compares to $4 by $3 (lt, ge).
e2e_elapsed() {
    awk -v a="$1" -v b="$2" -v op="$3" -v limit="$4" \
        'BEGIN { d = a - b; exit !((op == "lt" && d < limit) || (op == "ge" && d >= limit)) }'
}

e2e_fail() {
    echo "FAIL $1: $2" >&2
    e2e_failures=$((e2e_failures + 1))
}

# e2e_check NAME STATUS EXPECTED-STDOUT ARGS...
# Runs the tool with ARGS and compares. Sets e2e_started and e2e_ended
# around the run, for checks of how long it took.
e2e_check() {
    local name=$1 expected_status=$2 expected=$3
    shift 3
    e2e_checks=$((e2e_checks + 1))
    printf '%s' "$expected" >"$work/expected"
    local status=0
    e2e_started=$(e2e_now)
    "$QUILLOW" "$@" >"$work/stdout" 2>"$work/stderr" || status=$?
    e2e_ended=$(e2e_now)
    local ok=1
    if [ "$status" != "$expected_status" ]; then
        e2e_fail "$name" "exit status $status, expected $expected_status"
        ok=0
    fi
    if ! cmp -s "$work/expected" "$work/stdout"; then
        e2e_fail "$name" "standard output differs; expected, then got:"
        od -c "$work/expected" | head -n 20 >&2
        echo "----" >&2
        od -c "$work/stdout" | head -n 20 >&2
        ok=0
    fi
    if [ -s "$work/stderr" ]; then
        e2e_fail "$name" "wrote to standard error:"
        head -n 40 "$work/stderr" >&2
        ok=0
    fi
    [ "$ok" = 1 ] && echo "ok   $name"
    return 0
}

# Starts the responder in the background with ARGS and waits until it has
# bound its socket.
e2e_responder_start() {
    rm -f "$work/ready"
    "$RESPONDER" --ready "$work/ready" "$@" 2>"$work/responder.err" &
    e2e_responder_pid=$!
    local i
    for i in $(seq 200); do
        [ -e "$work/ready" ] && return 0
        kill -0 "$e2e_responder_pid" 2>/dev/null || break
        sleep 0.05
    done
    e2e_fail "responder" "did not start: $(cat "$work/responder.err")"
    return 1
}

# Waits for the responder; a responder that failed fails the check NAME.
e2e_responder_wait() {
    local name=$1 status=0
    wait "$e2e_responder_pid" || status=$?
    if [ "$status" != 0 ]; then
        e2e_fail "$name" "responder failed: $(cat "$work/responder.err")"
    fi
}

e2e_finish() {
    if [ "$e2e_failures" -ne 0 ]; then
        echo "$e2e_failures failures in $e2e_checks checks" >&2
        exit 1
    fi
    echo "all $e2e_checks checks passed"
}
