#!/bin/bash
# Builds the benchmark (Release) and measures, in one go:
#  - the reference network (terminal -> switch -> terminal at 155.52 Mbit/s,
#    one CBR connection of 40-byte packets, logs off) at 32 Mbit/s and at
#    100 Mbit/s (about 85% of the link's cell capacity), against a bare
#    binary-heap event loop with the same event count and pending population;
#  - generated networks: star N (one switch, N sender and N receiver
#    terminals, one CBR connection each), chain K (K switches in a row, one
#    connection across), and a 4x4 torus of switches with 256 connections.
#    For each: events (of the longer run), set-up CPU time (the network's script: blocks, links,
#    VCCs, DCs), CPU ns per event, instructions per event (callgrind, when
#    valgrind is installed) and peak memory (a fresh process per network);
#  - that CPU time grows linearly with simulated time and peak memory stays
#    flat with run length.
# Times are process CPU time: wall time on a shared machine is noisy.
#
#   bench/run.sh [--quick] [--no-callgrind]
set -euo pipefail
cd "$(dirname "$0")/.."
events=1000000      # events of the shorter of two runs per network
cg_events=100000    # the same under callgrind
callgrind=1
for a in "$@"; do
  case $a in
    --quick) events=150000; cg_events=50000 ;;
    --no-callgrind) callgrind=0 ;;
    *) echo "usage: bench/run.sh [--quick] [--no-callgrind]" >&2; exit 2 ;;
  esac
done
command -v valgrind >/dev/null || callgrind=0

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DCELVANE_BENCH=ON -DCELVANE_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target celvane_bench >/dev/null
B=build-bench/bench/celvane_bench

field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
within() { awk -v r="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(r >= lo && r <= hi) }'; }
status=0
check() {  # check NAME VALUE LOW HIGH
  if within "$2" "$3" "$4"; then echo "  ok    $1 = $2 (expected $3 .. $4)"
  else echo "  FAIL  $1 = $2 (expected $3 .. $4)"; status=1; fi
}

# The start and end of a run (opening files, first events) are not the
# steady cost of an event: instructions per event are taken as the
# difference of a run of twice the simulated time and a run of the time
# given, divided by the difference of their events.
twice() { awk -v s="$1" 'BEGIN { printf "%.6g", 2 * s }'; }
marginal() { awk -v a="$1" -v b="$2" -v ea="$3" -v eb="$4" -v f="$5" 'BEGIN { printf "%.1f", f * (b - a) / (eb - ea) }'; }

# Instructions by callgrind over the run alone: "instructions events".
counted() {
  local out; out=$(mktemp /tmp/celvane_cg.XXXXXX)
  local r; r=$(valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out" "$B" "$@" 2>/dev/null)
  echo "$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out" | head -1) $(field events "$r")"
  rm -f "$out"
}
# Instructions per event: instructions BENCH_ARGS... SECONDS; "-" without valgrind.
instructions() {
  [ $callgrind = 1 ] || { echo -; return; }
  local args=("${@:1:$#-1}") s=${!#}
  local a b; a=($(counted "${args[@]}" "$s")); b=($(counted "${args[@]}" "$(twice "$s")"))
  marginal "${a[0]}" "${b[0]}" "${a[1]}" "${b[1]}" 1 | sed 's/\..*//'
}
# CPU ns per event of the run of twice the simulated time (differences of
# CPU times are too noisy here), and its figures: "ns_per_event RESULT_LINE".
per_event() {
  local args=("${@:1:$#-1}") s=${!#}
  local r; r=$($B "${args[@]}" "$(twice "$s")")
  echo "$(field cpu_ns_per_event "$r") $r"
}

# Simulated seconds for about N events: a 32 Mbit/s connection of one-cell
# packets makes about 1.7 million events per simulated second, plus about
# 0.85 million per switch it crosses.
star_s() { awk -v n="$1" -v e="$2" 'BEGIN { printf "%.6g", e / (1.7e6 * n) }'; }
chain_s() { awk -v k="$1" -v e="$2" 'BEGIN { printf "%.6g", e / (1.7e6 + 0.85e6 * k) }'; }
torus_s() { awk -v e="$1" 'BEGIN { printf "%.6g", e / 9.6e7 }'; }

echo "Reference network"
for rate in 32e6 100e6; do
  s=$(awk -v r="$rate" -v e="$events" 'BEGIN { printf "%.6g", e / (r / 320 * 14.5) }')
  pr=$(per_event reference $rate "$s"); ns=${pr%% *}; r=${pr#* }
  ev=$(field events "$r"); pend=$(field mean_pending "$r")
  pend=$(awk -v p="$pend" 'BEGIN { printf "%d", p + 0.5 < 1 ? 1 : p + 0.5 }')
  bare=$($B bare "$ev" "$pend")
  cgs=$(awk -v s="$s" -v e="$events" -v c="$cg_events" 'BEGIN { printf "%.6g", s * c / e }')
  printf "  %-6s events %-8s CPU ns/event %-6s instructions/event %-5s pending %-4s bare ns/event %-5s speed vs bare %s\n" \
    "$rate" "$ev" "$ns" "$(instructions reference $rate "$cgs")" \
    "$(field mean_pending "$r")" "$(field cpu_ns_per_event "$bare")" \
    "$(ratio "$(field cpu_ns_per_event "$bare")" "$ns")"
  check "events/s as a share of the bare loop ($rate)" \
    "$(ratio "$(field cpu_ns_per_event "$bare")" "$ns")" 0.30 100
done

echo "Generated networks"
printf "  %-10s %9s %9s %8s %8s %9s %8s\n" network events setup_s ns/event instr/ev peak_MB pending
row() {  # row LABEL SECONDS CALLGRIND_SECONDS BENCH_ARGS...
  local label=$1 s=$2 cgs=$3; shift 3
  local pr; pr=$(per_event "$@" "$s")
  local r=${pr#* }
  printf "  %-10s %9s %9s %8s %8s %9s %8s\n" "$label" "$(field events "$r")" \
    "$(field setup_cpu_s "$r")" "${pr%% *}" "$(instructions "$@" "$cgs")" \
    "$(awk -v k="$(field peak_rss_kb "$r")" 'BEGIN { printf "%.1f", k / 1024 }')" \
    "$(field mean_pending "$r")"
}
for n in 1 8 64 256 1024; do
  row "star $n" "$(star_s $n $events)" "$(star_s $n $cg_events)" star $n
done
for k in 1 4 16 64; do
  row "chain $k" "$(chain_s $k $events)" "$(chain_s $k $cg_events)" chain $k
done
row "torus" "$(torus_s $events)" "$(torus_s $cg_events)" torus

echo "Linearity in simulated time (reference at 100 Mbit/s, T vs 4T)"
s=$(awk -v e="$events" 'BEGIN { printf "%.6g", e / 4.5e6 }')
r1=$($B reference 100e6 "$s"); r4=$($B reference 100e6 "$(awk -v s="$s" 'BEGIN { print 4 * s }')")
check "CPU time ratio" "$(ratio "$(field cpu_s "$r4")" "$(field cpu_s "$r1")")" 3.0 5.0
check "event count ratio" "$(ratio "$(field events "$r4")" "$(field events "$r1")")" 3.9 4.1
check "peak memory ratio" "$(ratio "$(field peak_rss_kb "$r4")" "$(field peak_rss_kb "$r1")")" 0.8 1.25
exit $status
