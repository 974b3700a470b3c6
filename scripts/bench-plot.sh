#!/usr/bin/env bash
# Draws decode time against the number of bindings, for Quillow and for
# net-snmp's library when it was measured, from the JSON output of
# quillow-bench, with gnuplot:
#   scripts/bench-plot.sh FILE.json OUT.png
# The left panel shows the time per message, the right one the time per
# binding, where a cost that grows faster than the bindings shows as a line
# that rises towards the right instead of levelling off.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: scripts/bench-plot.sh FILE.json OUT.png" >&2; exit 2; }
json=$1
png=$2
data=$(mktemp)
trap 'rm -f "$data"' EXIT

# One line per binding count: count, Quillow's and net-snmp's CPU time per
# message in microseconds ("NaN" where a side was not measured).
jq -r '
  def us: (if .time_unit == "us" then .cpu_time elif .time_unit == "ms" then .cpu_time * 1000
           elif .time_unit == "s" then .cpu_time * 1e6 else .cpu_time / 1000 end);
  (.benchmarks | map(select(.run_type == "aggregate" and .aggregate_name == "median"))) as $medians
  | (if ($medians | length) > 0 then $medians else .benchmarks | map(select(.run_type == "iteration")) end)
  | map(select(.run_name | test("/decode_bindings/[0-9]+$")))
  | map({side: (.run_name | split("/")[0]), n: (.run_name | split("/")[2] | tonumber), us: us})
  | group_by(.n)[]
  | [.[0].n, (map(select(.side == "quillow"))[0].us // "NaN"), (map(select(.side == "net-snmp"))[0].us // "NaN")]
  | @tsv' "$json" >"$data"
[ -s "$data" ] || { echo "no decode_bindings results in $json" >&2; exit 1; }

machine=$(jq -r '[.context.cpu_model // empty, "\(.context.num_cpus) cores", .context.os // empty,
                   .context.date[0:10]] | join(", ")' "$json")

gnuplot <<PLOT
set terminal pngcairo size 1000,440 font "sans,10"
set output "$png"
set datafile missing "NaN"
set multiplot layout 1,2 title "Decode of a GetResponse by number of bindings (median CPU time)\n{/*0.8 $machine}"
set grid
set key left top
set xlabel "bindings in the message"
set xrange [0:210]
set xtics 50
set yrange [0:*]
set ylabel "microseconds per message"
plot "$data" using 1:2 with linespoints lw 2 pt 7 title "Quillow", \
     "$data" using 1:3 with linespoints lw 2 pt 5 title "net-snmp"
set ylabel "nanoseconds per binding"
set key center top
set xlabel "bindings in the message (logarithmic scale)"
set logscale x
set xrange [0.8:250]
set xtics (1, 10, 50, 200)
plot "$data" using 1:(\$2 * 1000 / \$1) with linespoints lw 2 pt 7 title "Quillow", \
     "$data" using 1:(\$3 * 1000 / \$1) with linespoints lw 2 pt 5 title "net-snmp"
unset multiplot
PLOT
