#!/usr/bin/env bash
# A real trap receiver, net-snmp's snmptrapd, receives notifications sent by
# the send_trap example, and its log must show every field that was sent: the
# enterprise, agent address, generic and specific numbers and time-stamp of a
# v1 trap, and sysUpTime.0, snmpTrapOID.0 and the user's binding of v2 traps.
# Invocations that must not send anything are run against the same receiver,
# which then must have logged nothing for them.
#   tests/trap_receiver_test.sh path/to/send_trap
# The receiver runs on 127.0.0.1:162 inside a private network namespace, so
# nothing on the host is touched and the port needs no privileges.
set -euo pipefail

if [ "${QUILLOW_TRAP_TEST_IN_NAMESPACE:-}" != 1 ]; then
  QUILLOW_TRAP_TEST_IN_NAMESPACE=1 exec unshare -rn bash "$0" "$@"
fi

send_trap=${1:?usage: trap_receiver_test.sh path/to/send_trap}
snmptrapd=$(command -v snmptrapd || echo /usr/sbin/snmptrapd)
[ -x "$snmptrapd" ] || { echo "snmptrapd is not installed (Debian package snmptrapd; scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
receiver=
cleanup() {
  [ -n "$receiver" ] && kill "$receiver" 2>/dev/null && wait "$receiver" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

ip link set lo up
community=harbour
log=$work/traps.log

# One line per accepted notification, numeric throughout: v1 traps with their
# header fields (%q shows the specific-trap of an enterprise-specific trap
# with a leading '.'), v2 notifications with their bindings, split by '|'.
cat >"$work/snmptrapd.conf" <<CONF
authCommunity log $community
format1 V1 enterprise=%N agent=%a generic=%w specific=%q uptime=%T community=%u bindings=%V|%v\n
format2 V2 community=%u bindings=%V|%v\n
CONF

# In a user namespace snmptrapd cannot write its usual state directory; with
# no MIBs loaded every identifier is printed in numbers.
export SNMP_PERSISTENT_DIR="$work/state" MIBS= MIBDIRS=/nonexistent
"$snmptrapd" -f -X -C -c "$work/snmptrapd.conf" -Lf "$log" -n -On udp:127.0.0.1:162 >"$work/snmptrapd.out" 2>&1 &
receiver=$!

fail() {
  echo "FAIL: $*" >&2
  echo "--- receiver log:" >&2
  cat "$log" >&2 2>/dev/null || true
  echo "--- receiver output:" >&2
  cat "$work/snmptrapd.out" >&2 2>/dev/null || true
  exit 1
}

# Ready once it answers an inform (at most twenty seconds). The probe's
# identifier keeps its log lines apart from the ones checked below.
probe=1.3.6.1.4.1.32473.9999.1
ready=no
for _ in $(seq 100); do
  kill -0 "$receiver" 2>/dev/null || fail "snmptrapd ended at start-up"
  if snmpinform -v2c -c "$community" -t 0.2 -r 0 127.0.0.1:162 0 "$probe" >/dev/null 2>&1; then
    ready=yes
    break
  fi
done
[ "$ready" = yes ] || fail "snmptrapd did not answer an inform"

# Exit statuses of invocations that send nothing.
expect_status() {
  local want=$1
  shift
  local got=0
  "$send_trap" "$@" >"$work/out" 2>&1 || got=$?
  [ "$got" -eq "$want" ] || { cat "$work/out" >&2; fail "send_trap $* ended with $got, not $want"; }
}
expect_status 1
expect_status 1 v3 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.1 6 17 987654
expect_status 1 v2 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 6 17 987654
expect_status 2 v1 127.0.0.1 0 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.1 6 17 987654
expect_status 2 v1 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.x 192.168.2.1 6 17 987654
expect_status 2 v1 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.256 6 17 987654
expect_status 2 v1 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.1 6 17 4294967296
expect_status 2 v2 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 6 17 987654 1.3..6 "no"
expect_status 3 v1 "" 162 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.1 6 17 987654

# The notifications, each a single datagram.
"$send_trap" v1 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 192.168.2.1 6 17 987654 \
  1.3.6.1.2.1.1.5.0 "hello from v1" || fail "the v1 trap was not sent"
"$send_trap" v2 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 6 17 123456 \
  1.3.6.1.2.1.1.5.0 "hello from v2" || fail "the enterprise-specific v2 trap was not sent"
"$send_trap" v2 127.0.0.1 162 "$community" 1.3.6.1.4.1.32473.2.3 3 0 4294967295 \
  1.3.6.1.2.1.2.2.1.1.7 "link 7 up" || fail "the linkUp v2 trap was not sent"

# Each line as a pattern: the text taken literally, except for a specific-trap
# that may carry one leading '.'.
literal() { printf '%s' "$1" | sed 's/[][\.*^$(){}+?|]/\\&/g'; }
expected=(
  "^$(literal 'V1 enterprise=.1.3.6.1.4.1.32473.2.3 agent=192.168.2.1 generic=6 specific=')\\.?17$(literal ' uptime=987654 community=harbour bindings=.1.3.6.1.2.1.1.5.0 = STRING: "hello from v1"')\$"
  "^$(literal 'V2 community=harbour bindings=.1.3.6.1.2.1.1.3.0 = Timeticks: (123456) 0:20:34.56|.1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.4.1.32473.2.3.0.17|.1.3.6.1.2.1.1.5.0 = STRING: "hello from v2"')\$"
  "^$(literal 'V2 community=harbour bindings=.1.3.6.1.2.1.1.3.0 = Timeticks: (4294967295) 497 days, 2:27:52.95|.1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.4|.1.3.6.1.2.1.2.2.1.1.7 = STRING: "link 7 up"')\$"
)

# The receiver logs what it accepted on its own time: wait for every line
# (at most twenty seconds), then check that nothing else came.
for _ in $(seq 200); do
  all=yes
  for pattern in "${expected[@]}"; do
    grep -Eq -- "$pattern" "$log" 2>/dev/null || { all=no; break; }
  done
  [ "$all" = yes ] && break
  sleep 0.1
done
for pattern in "${expected[@]}"; do
  grep -Eq -- "$pattern" "$log" || fail "no log line matches: $pattern"
done
notifications=$(grep -E '^V[12] ' "$log" | grep -vF -- ".$probe" | wc -l)
[ "$notifications" -eq "${#expected[@]}" ] ||
  fail "$notifications notifications logged besides the probes, expected ${#expected[@]}"

echo "snmptrapd logged the v1 trap and both v2 traps as sent"
