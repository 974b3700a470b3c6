#!/usr/bin/env bash
# The tool against the scripted responder on 127.0.0.1:161, for the replies a
# real agent never sends.
#   bash responder.sh QUILLOW RESPONDER
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_enter "$@"

# A run of N 'x' bytes.
xs() { printf 'x%.0s' $(seq "$1"); }

# reply NAME STATUS STDOUT RESPONDER-OPTIONS...: one exchange with a
# responder that answers as the options say.
reply() {
    local name=$1 status=$2 expected=$3
    shift 3
    e2e_responder_start "$@" || return 0
    e2e_check "$name" "$status" "$expected" 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0
    e2e_responder_wait "$name"
}

# The request the tool sends: version 0, community "harbour", a GetRequest
# with request-id 123 and one binding of sysDescr.0 to NULL.
request='30 27 02 01 00 04 07 68 61 72 62 6F 75 72 A0 19 02 01 7B 02 01 00 02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00'
reply "INTEGER 5, request as on the wire" 0 "5" --record "$work/request"
[ "$(cat "$work/request")" = "$request" ] || e2e_fail "request as on the wire" "got $(cat "$work/request")"

reply "negative INTEGER" 0 "-5" --value "02 01 FB"
reply "Counter above 2^31" 0 "4294967295" --value "41 05 00 FF FF FF FF"
reply "IpAddress" 0 "192.168.2.1" --value "40 04 C0 A8 02 01"
reply "request-id 124" 3 "$ID_MISMATCH" --request-id 124
reply "error-status 2" 4 "$ERROR_STATUS" --error-status 2
reply "error-status 2 and no bindings" 4 "$ERROR_STATUS" --error-status 2 --no-bindings
reply "empty binding list" 0 "NULL" --no-bindings
reply "NULL value" 0 "" --value "05 00"
reply "PDU tag without a class" 3 "$ID_MISMATCH" --pdu-tag A5
reply "empty datagram" 2 "$NO_REPLY" --raw ""
reply "exactly 4096 bytes" 0 "$(xs 4045)" --size 4096
# The 4096-byte reply with one byte more is refused for its size alone: the
# same reply one byte shorter, with the byte added, is taken.
reply "4095-byte reply and one trailing byte" 0 "$(xs 4044)" --size 4095 --trailing 1
reply "4096-byte reply and one trailing byte" 2 "$NO_REPLY" --size 4096 --trailing 1
reply "outer length greater than the datagram" 2 "$NO_REPLY" --raw \
    "30 2B 02 01 00 04 07 68 61 72 62 6F 75 72 A2 1A 02 01 7B 02 01 00 02 01 00
     30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"
reply "same reply with a correct outer length" 0 "100" --raw \
    "30 28 02 01 00 04 07 68 61 72 62 6F 75 72 A2 1A 02 01 7B 02 01 00 02 01 00
     30 0F 30 0D 06 08 2B 06 01 02 01 01 03 00 43 01 64"
reply "reply missing its last byte" 2 "$NO_REPLY" --cut 1
reply "reply from another port" 0 "5" --from-other-port

e2e_finish
