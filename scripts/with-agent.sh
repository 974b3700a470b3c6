#!/usr/bin/env bash
# Runs a command next to a throwaway SNMP agent (net-snmp's snmpd) listening
# on 127.0.0.1:161, inside a private network namespace, so that neither
# privileges nor a free port 161 on the host are needed:
#   scripts/with-agent.sh COMMAND [ARGS...]
# The agent answers SNMPv1 and v2c requests for the read-only community
# "harbour" (QUILLOW_COMMUNITY overrides it). It is stopped when the command
# ends, and the command's exit status is passed on.
set -euo pipefail

if [ "${QUILLOW_IN_NAMESPACE:-}" != 1 ]; then
  QUILLOW_IN_NAMESPACE=1 exec unshare -rn "$0" "$@"
fi

community=${QUILLOW_COMMUNITY:-harbour}
snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
work=$(mktemp -d)
# snmpd writes its state as it shuts down: the folder is removed only once
# it has gone, or the removal races with that write, fails, and leaves the
# folder behind (and, under set -e, turns the exit status into 1).
# shellcheck disable=SC2317 # called by the trap
stop_agent() {
    local pid
    pid=$(cat "$work/snmpd.pid" 2>/dev/null || true)
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
    fi
    rm -rf "$work" || true
}
trap stop_agent EXIT

ip link set lo up
cat >"$work/snmpd.conf" <<CONF
agentAddress udp:127.0.0.1:161
rocommunity $community 127.0.0.1
sysDescr ${QUILLOW_SYSDESCR:-Quillow demo agent on loopback}
sysContact ops@example.org
sysLocation rack 7, example.org
sysServices 72
${QUILLOW_AGENT_EXTRA:-}
CONF

# In a user namespace snmpd cannot write its usual state directory.
export SNMP_PERSISTENT_DIR="$work/state" MIBS= MIBDIRS=/nonexistent
"$snmpd" -C -c "$work/snmpd.conf" -p "$work/snmpd.pid" -Lf "$work/snmpd.log" >>"$work/snmpd.log" 2>&1 \
  || { cat "$work/snmpd.log" >&2; exit 70; }

# Wait until the agent answers (at most ten seconds).
for _ in $(seq 100); do
  if snmpget -v1 -c "$community" -m '' -t 0.1 -r 0 127.0.0.1 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1; then
    break
  fi
  sleep 0.1
done

status=0
"$@" || status=$?
exit "$status"
