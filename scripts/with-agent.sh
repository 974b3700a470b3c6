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
  QUILLOW_IN_NAMESPACE=1 exec unshare -rnm bash "$0" "$@"
fi

community=${QUILLOW_COMMUNITY:-harbour}
snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
work=$(mktemp -d)
etc_replaced=0
# snmpd writes its state directory on the way out, so the folder is removed
# only once it is gone.
stop_agent() {
  local pid
  pid=$(cat "$work/snmpd.pid" 2>/dev/null) || pid=
  if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
  fi
  # The copy of /etc cannot be removed while it stands in for /etc.
  if [ "$etc_replaced" = 1 ]; then umount -l /etc || true; fi
  rm -rf "$work" || true
}
trap stop_agent EXIT

ip link set lo up
# A bare root (a fresh debootstrap one, say) may have no hosts file, and then
# not even "localhost" resolves; inside the private mount namespace a copy of
# /etc with one stands in for /etc.
if ! grep -qsE '^127\.0\.0\.1[[:space:]](.*[[:space:]])?localhost([[:space:]]|$)' /etc/hosts; then
  mkdir "$work/etc"
  cp -a /etc/. "$work/etc/" 2>/dev/null || true
  printf '127.0.0.1 localhost\n' >>"$work/etc/hosts"
  mount --bind "$work/etc" /etc
  etc_replaced=1
fi
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
answered=0
for _ in $(seq 100); do
  if snmpget -v1 -c "$community" -m '' -t 0.1 -r 0 127.0.0.1 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1; then
    answered=1
    break
  fi
  sleep 0.1
done
if [ "$answered" != 1 ]; then
  echo "with-agent.sh: snmpd does not answer on 127.0.0.1:161; its log:" >&2
  cat "$work/snmpd.log" >&2
  exit 70
fi

status=0
"$@" || status=$?
exit "$status"
