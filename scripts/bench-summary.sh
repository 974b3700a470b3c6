#!/usr/bin/env bash
# Prints the figures the goals are judged by, from the JSON output of
# quillow-bench (scripts/bench.sh writes it to build-bench/bench.json):
#   scripts/bench-summary.sh FILE.json
# Times are CPU time per operation: the median of the repetitions when there
# were several, the single run otherwise.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: scripts/bench-summary.sh FILE.json" >&2; exit 2; }
jq -r '
  def ns: if .time_unit == "us" then .cpu_time * 1000 elif .time_unit == "ms" then .cpu_time * 1e6
          elif .time_unit == "s" then .cpu_time * 1e9 else .cpu_time end;
  (.benchmarks | map(select(.run_type == "aggregate" and .aggregate_name == "median"))) as $medians
  | (if ($medians | length) > 0 then $medians else .benchmarks | map(select(.run_type == "iteration")) end)
  | map({key: .run_name, value: ns}) | from_entries as $t
  | def num: if . == null then "n/a" else (. * 10 | round / 10 | tostring) end;
    def ratio($a; $b): if $a == null or $b == null then "n/a" else ($a / $b * 100 | round / 100 | tostring) end;
    def row($what; $work): [$what, ($t["quillow/" + $work] | num), ($t["net-snmp/" + $work] | num),
                             ratio($t["net-snmp/" + $work]; $t["quillow/" + $work])];
    def perBinding($side; $n): $t[$side + "/decode_bindings/" + ($n | tostring)] as $v
                               | if $v == null then null else $v / $n end;
  ( ["workload", "quillow ns", "net-snmp ns", "net-snmp/quillow"],
    row("encode 40-byte GetRequest (encode alone)"; "encode_request_40"),
    row("build and encode 40-byte GetRequest"; "build_and_encode_request_40"),
    row("decode 41-byte GetResponse"; "decode_response_41"),
    (1, 10, 50, 200 | row("decode \(.) mixed bindings"; "decode_bindings/\(.)")),
    row("decode one 4000-byte octet string"; "decode_octet_string/4000") ),
  ( ["", "", "", ""] ),
  ( ["time per binding", "at 10 ns", "at 200 ns", "at 200 / at 10"] ),
  ( ["quillow", (perBinding("quillow"; 10) | num), (perBinding("quillow"; 200) | num),
     ratio(perBinding("quillow"; 200); perBinding("quillow"; 10))] ),
  ( ["net-snmp", (perBinding("net-snmp"; 10) | num), (perBinding("net-snmp"; 200) | num),
     ratio(perBinding("net-snmp"; 200); perBinding("net-snmp"; 10))] )
  | @tsv' "$1" |
  awk -F '\t' '{ for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) }
                 if (NF > columns) columns = NF }
       END { for (r = 1; r <= NR; r++) { line = ""
               for (i = 1; i <= columns; i++) line = line sprintf(i == 1 ? "%-*s" : "  %*s", width[i], cell[r, i])
               print line } }'
