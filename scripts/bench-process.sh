#!/usr/bin/env bash
# Times the whole quillow process, from start to printed value, against
# net-snmp's snmpget fetching the same object from the same throwaway local
# agent (scripts/with-agent.sh), and prints the median wall time of each and
# their ratio:
#   scripts/bench-process.sh [RUNS]
# RUNS (default 50, at least 30) is the number of timed runs of each tool.
# The two alternate, the order swapping every round, so that a change of load
# on the machine falls on both alike. Every run's output is checked: a failed
# or wrong fetch stops the script instead of being timed.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
runs=${1:-50}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || [ "$runs" -lt 30 ]; then
  echo "usage: scripts/bench-process.sh [RUNS], RUNS at least 30" >&2
  exit 2
fi

if [ "${QUILLOW_IN_NAMESPACE:-}" != 1 ]; then
  bash scripts/setup.sh
  bash scripts/build.sh build
  echo "machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  status=0
  bash scripts/with-agent.sh bash "$0" "$runs" || status=$?
  echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
  exit "$status"
fi

oid=1.3.6.1.2.1.1.1.0
quillow=(build/quillow 127.0.0.1 harbour "$oid")
snmpget=(snmpget -v1 -c harbour -m '' 127.0.0.1 "$oid")
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# Runs one command with its output in $out and leaves its wall time, in
# microseconds, in $elapsed. The clock is bash's own, so nothing else is
# started inside the timed span but the command itself.
elapsed=0
timed() {
  local start end status=0
  start=$EPOCHREALTIME
  "$@" >"$out" 2>&1 || status=$?
  end=$EPOCHREALTIME
  if [ "$status" -ne 0 ]; then
    echo "'$*' failed with exit status $status:" >&2
    cat "$out" >&2
    exit 1
  fi
  elapsed=$(( 10#${end/./} - 10#${start/./} ))
}

# What both must print: the agent's system description, which quillow prints
# bare and snmpget as a quoted STRING.
timed "${quillow[@]}"
expected=$(<"$out")
[ -n "$expected" ] || { echo "quillow printed nothing" >&2; exit 1; }
check() {
  local printed
  printed=$(<"$out")
  case "$1" in
    quillow) [ "$printed" = "$expected" ] ;;
    snmpget) [ "$printed" = "iso.3.6.1.2.1.1.1.0 = STRING: \"$expected\"" ] ;;
  esac || { echo "$1 printed something else: $printed" >&2; exit 1; }
}

# A few untimed runs first, so that both start from warm caches.
for _ in 1 2 3; do
  timed "${quillow[@]}"; check quillow
  timed "${snmpget[@]}"; check snmpget
done

quillow_times=()
snmpget_times=()
for ((i = 0; i < runs; i++)); do
  if ((i % 2 == 0)); then order=(quillow snmpget); else order=(snmpget quillow); fi
  for tool in "${order[@]}"; do
    if [ "$tool" = quillow ]; then
      timed "${quillow[@]}"; check quillow; quillow_times+=("$elapsed")
    else
      timed "${snmpget[@]}"; check snmpget; snmpget_times+=("$elapsed")
    fi
  done
done

median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
q=$(median "${quillow_times[@]}")
s=$(median "${snmpget_times[@]}")
awk -v q="$q" -v s="$s" -v n="$runs" 'BEGIN {
  printf "runs: %d of each, alternating\n", n
  printf "quillow  median wall time: %8.3f ms\n", q / 1000
  printf "snmpget  median wall time: %8.3f ms\n", s / 1000
  printf "ratio quillow/snmpget:     %8.3f (snmpget/quillow %.1f)\n", q / s, s / q
}'
