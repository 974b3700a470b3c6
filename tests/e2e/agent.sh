#!/usr/bin/env bash
# The tool against the real net-snmp agent on 127.0.0.1:161, started by
# scripts/with-agent.sh with a configuration of this suite's own.
#   bash agent.sh QUILLOW RESPONDER
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_enter "$@"

community=quay-e2e
descr='Quillow end-to-end agent, rack 12 / shelf 3'
object_id=1.3.6.1.4.1.99999.7.1

if [ "${QUILLOW_E2E_AGENT:-}" != 1 ]; then
    status=0
    QUILLOW_E2E_AGENT=1 QUILLOW_IN_NAMESPACE=1 QUILLOW_COMMUNITY=$community QUILLOW_SYSDESCR=$descr \
        QUILLOW_AGENT_EXTRA=$'sysObjectID '"$object_id"$'\nsysServices 76' \
        bash "$e2e_repo/scripts/with-agent.sh" bash "$0" "$@" || status=$?
    exit "$status"
fi

# The agent's own answer, as net-snmp's snmpget reads it: a bare number.
uptime() { snmpget -v1 -c "$community" -m '' -Oqvt -t 1 -r 2 127.0.0.1 1.3.6.1.2.1.1.3.0 2>/dev/null; }

e2e_check "sysDescr (OCTET STRING)" 0 "$descr" 127.0.0.1 "$community" 1.3.6.1.2.1.1.1.0
e2e_check "sysObjectID (OBJECT IDENTIFIER)" 0 "$object_id" 127.0.0.1 "$community" 1.3.6.1.2.1.1.2.0
e2e_check "sysServices (INTEGER)" 0 "76" 127.0.0.1 "$community" 1.3.6.1.2.1.1.7.0
e2e_check "sysDescr by host name" 0 "$descr" agent.quillow.test "$community" 1.3.6.1.2.1.1.1.0

# sysUpTime moves on, so its text must be a bare count that lies between the
# agent's answers just before and just after.
before=$(uptime)
"$QUILLOW" 127.0.0.1 "$community" 1.3.6.1.2.1.1.3.0 >"$work/uptime" 2>"$work/uptime.err" && status=0 || status=$?
after=$(uptime)
got=$(cat "$work/uptime")
e2e_checks=$((e2e_checks + 1))
if [ "$status" != 0 ] || [ -s "$work/uptime.err" ] || ! [[ "$got" =~ ^[0-9]+$ ]] \
    || [ "$(wc -c <"$work/uptime")" != "${#got}" ] || [ "$got" -lt "$before" ] || [ "$got" -gt "$after" ]; then
    e2e_fail "sysUpTime (TimeTicks)" "printed '$(od -c "$work/uptime")', exit $status, agent said $before then $after"
else
    echo "ok   sysUpTime (TimeTicks)"
fi

e2e_check "object the agent lacks" 4 "$ERROR_STATUS" 127.0.0.1 "$community" 1.3.6.1.2.1.1.99.0
e2e_check "wrong community" 2 "$NO_REPLY" 127.0.0.1 wrong-community 1.3.6.1.2.1.1.1.0
e2e_elapsed "$e2e_ended" "$e2e_started" ge 4.5 || e2e_fail "wrong community" "gave up before the 5 s timeout"

e2e_finish
