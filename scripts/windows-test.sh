#!/usr/bin/env bash
# Builds quillow.exe with the MinGW-w64 cross compiler and runs it under wine
# against a real agent (net-snmp's snmpd) on 127.0.0.1:161 and a scripted
# responder on 127.0.0.2:161, inside a private network namespace, checking
# the texts and exit statuses of every outcome:
#   scripts/windows-test.sh
# Installs the cross compiler and wine when they are missing. The Windows
# build lands in build-windows/, the Linux build (the reference for the usage
# text) in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --inside ]; then
    bash scripts/setup.sh windows
    bash scripts/build.sh build
    bash scripts/build.sh build-windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUILLOW_TEST=OFF
    [ -f build-windows/quillow.exe ] || { echo "FAIL: the cross build made no build-windows/quillow.exe" >&2; exit 1; }

    # A bare Windows machine has the system's DLLs and nothing else: the
    # MinGW run-times (libstdc++-6.dll, libgcc_s_seh-1.dll,
    # libwinpthread-1.dll) must be linked in, not imported.
    imports=$(x86_64-w64-mingw32-objdump -p build-windows/quillow.exe | sed -n 's/^[[:space:]]*DLL Name: //p')
    echo "quillow.exe imports: $(tr '\n' ' ' <<<"$imports")"
    if grep -qi '^lib' <<<"$imports"; then
        echo "FAIL: quillow.exe needs DLLs that a bare Windows machine lacks" >&2
        exit 1
    fi

    # The unit tests of the socket layer over Winsock (and the portable ones),
    # as Windows programs, with the scripted responder for the host side.
    werror=OFF
    [ "${CI:-}" = true ] && werror=ON
    cmake -S tests/windows -B build-windows-tests -G Ninja --no-warn-unused-cli \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DQUILLOW_WERROR="${QUILLOW_WERROR:-$werror}" >/dev/null
    cmake --build build-windows-tests --parallel "$(nproc 2>/dev/null || echo 2)" 2>&1 |
        { grep -v '^\[[0-9]*/[0-9]*\]' || true; }

    export QUILLOW_SYSDESCR='Windows check agent, "quoted" text & 100% of it'
    exec bash scripts/with-agent.sh bash "$0" --inside
fi

# From here on: inside the namespace, next to the agent.
exe=build-windows/quillow.exe
responder=build/tests/quillow_responder
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$work"' EXIT

# The prefix is made here rather than outside, because wine's server, which
# owns the sockets of the programs it runs, must live in this network
# namespace. A persistent server then serves every run, so no run pays for
# starting one.
mkdir -p "$WINEPREFIX"
wineserver -p
if ! timeout 300 wineboot --init >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log" >&2
    echo "FAIL: wine could not make its prefix" >&2
    exit 1
fi

failures=0
echo "unit tests under wine:"
ctest_status=0
ctest --test-dir build-windows-tests --output-on-failure --timeout 120 >"$work/ctest.log" 2>&1 || ctest_status=$?
grep -v '^ *Start \|^Internal ctest changing' "$work/ctest.log" || true
[ "$ctest_status" = 0 ] || failures=$((failures + 1))

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Runs quillow.exe with the arguments; leaves its standard output in
# $work/out, its exit status in $status and its run time in $elapsed_ms.
run_exe() {
    local start
    start=$(date +%s%N)
    status=0
    wine "$exe" "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
    elapsed_ms=$((($(date +%s%N) - start) / 1000000))
}

# A C program writing to the Windows console (or to a file or pipe) in text
# mode ends each line with CR LF where the Linux build writes LF alone, so the
# expected texts are turned into that form before the byte-for-byte compare.
crlf() { sed 's/$/\r/' "$1"; }

# check NAME EXPECTED_STATUS EXPECTED_FILE: compares the last run's output
# byte for byte, and its exit status.
check() {
    local name=$1 want_status=$2 want_file=$3
    if ! cmp -s "$want_file" "$work/out"; then
        fail "$name: the output differs from what was expected"
        echo "  expected:" >&2
        od -c "$want_file" | head -n 12 >&2
        echo "  got:" >&2
        od -c "$work/out" | head -n 12 >&2
    fi
    [ "$status" = "$want_status" ] || fail "$name: exit status $status, expected $want_status"
    echo "  $name: exit status $status after ${elapsed_ms} ms"
}

# "At once" is well under the 5 second wait for a reply.
check_at_once() {
    [ "$elapsed_ms" -lt 3000 ] || fail "$1: took ${elapsed_ms} ms, where it should end at once"
}

no_reply_text='ERROR P1: No returned packet.  Your SNMP community string may be incorrect, or there may be a problem communicating with the device.'
printf '%s\n' "$no_reply_text" >"$work/no-reply"
crlf "$work/no-reply" >"$work/no-reply.crlf"

echo "quillow.exe under wine:"

# Usage. The Windows program sees its own name as a Windows path (wine hands
# it the full path), so the Linux build is invoked under that same name to
# make the reference text.
windows_name=$(winepath -w "$exe")
for args in "" "one" "one two" "one two three four"; do
    # shellcheck disable=SC2086
    (exec -a "$windows_name" build/quillow $args) >"$work/usage-linux" </dev/null && linux_status=0 || linux_status=$?
    [ "$linux_status" = 1 ] || fail "usage ($args): the Linux build ended with $linux_status, expected 1"
    [ "$(tail -c 1 "$work/usage-linux" | od -An -c | tr -d ' ')" = '\n' ] ||
        fail "usage ($args): the Linux build's usage text does not end with a line break"
    crlf "$work/usage-linux" >"$work/usage-expected"
    # shellcheck disable=SC2086
    run_exe $args
    check "usage with $(wc -w <<<"$args") arguments" 1 "$work/usage-expected"
    check_at_once "usage"
done
grep -qF "Usage:"$'\t'"${windows_name^^} ipAddress community oid" "$work/out" ||
    fail "usage: the usage line does not show the invoked name in capitals"

# The real agent.
printf '%s' "$QUILLOW_SYSDESCR" >"$work/sysdescr"
run_exe 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0
check "sysDescr from the agent" 0 "$work/sysdescr"

snmpget -v1 -c harbour -m '' -Oqv 127.0.0.1 1.3.6.1.2.1.1.7.0 | tr -d '\n' >"$work/services"
run_exe 127.0.0.1 harbour 1.3.6.1.2.1.1.7.0
check "sysServices (an INTEGER) from the agent" 0 "$work/services"

printf 'ERROR: Error receiving packet\n' >"$work/error-status"
crlf "$work/error-status" >"$work/error-status.crlf"
run_exe 127.0.0.1 harbour 1.3.6.1.2.1.1.99.0
check "an object the agent lacks" 4 "$work/error-status.crlf"

# The agent stays silent for a community it does not know: the whole 5
# seconds are waited for.
run_exe 127.0.0.1 not-harbour 1.3.6.1.2.1.1.1.0
check "a wrong community" 2 "$work/no-reply.crlf"
[ "$elapsed_ms" -ge 5000 ] || fail "a wrong community: gave up after ${elapsed_ms} ms, before the 5 second wait ended"

run_exe no-such-host.invalid harbour 1.3.6.1.2.1.1.1.0
check "a host that does not resolve" 2 "$work/no-reply.crlf"
check_at_once "a host that does not resolve"

# The scripted responder of the end-to-end tests (a Linux program, from the
# Linux build), on 127.0.0.2 since the agent holds 127.0.0.1:161, for
# replies that a real agent never sends.
# respond OPTIONS...: starts the responder and waits until it listens.
respond() {
    rm -f "$work/ready"
    "$responder" --address 127.0.0.2 --ready "$work/ready" "$@" >"$work/responder" 2>&1 &
    responder_pid=$!
    for _ in $(seq 100); do
        [ -e "$work/ready" ] && return 0
        kill -0 "$responder_pid" 2>/dev/null || break
        sleep 0.05
    done
    cat "$work/responder" >&2
    fail "the responder did not start ($*)"
    return 1
}
responder_answered() {
    wait "$responder_pid" || fail "$1: the responder ended with status $? ($(tail -n 1 "$work/responder"))"
}
# A run of N 'x' bytes: the value of a reply that --size makes N + 51 bytes
# long, for the tool's request of sysDescr.0 with the community "harbour".
xs() { head -c "$1" /dev/zero | tr '\0' x >"$2"; }

# A reply of exactly 4096 bytes, the receive buffer's size, arrives whole.
if respond --size 4096; then
    run_exe 127.0.0.2 harbour 1.3.6.1.2.1.1.1.0
    responder_answered "a 4096-byte reply"
    xs 4045 "$work/long-value"
    check "a 4096-byte reply" 0 "$work/long-value"
fi

# A datagram one byte longer than the buffer. Its first 4096 bytes are a
# whole reply, so a read that handed over just that part would print the
# value; Winsock refuses the datagram on the read instead (WSAEMSGSIZE), and
# the run reports no reply at once, without waiting out the 5 seconds.
if respond --size 4096 --trailing 1; then
    run_exe 127.0.0.2 harbour 1.3.6.1.2.1.1.1.0
    responder_answered "a 4097-byte datagram"
    check "a 4097-byte datagram" 2 "$work/no-reply.crlf"
    check_at_once "a 4097-byte datagram"
fi
# The same trailing byte after a reply that fits: the value is printed, so
# the refusal above comes from the datagram's size alone.
if respond --size 4000 --trailing 1; then
    run_exe 127.0.0.2 harbour 1.3.6.1.2.1.1.1.0
    responder_answered "a reply with a trailing byte"
    xs 3949 "$work/long-value"
    check "a reply with a trailing byte" 0 "$work/long-value"
fi

if respond --raw ""; then
    run_exe 127.0.0.2 harbour 1.3.6.1.2.1.1.1.0
    responder_answered "an empty datagram"
    check "an empty datagram" 2 "$work/no-reply.crlf"
    check_at_once "an empty datagram"
fi

printf 'ERROR: Request ID does not match\n' >"$work/mismatch"
crlf "$work/mismatch" >"$work/mismatch.crlf"
if respond --request-id 124; then
    run_exe 127.0.0.2 harbour 1.3.6.1.2.1.1.1.0
    responder_answered "a reply to another request"
    check "a reply to another request" 3 "$work/mismatch.crlf"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of quillow.exe failed" >&2
    exit 1
fi
echo "quillow.exe: every check passed"
