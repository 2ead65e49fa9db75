#!/usr/bin/env bash
# bench/convert.sh [BUILD_DIR]: the conversion's speed and memory on generated
# jobs of 10,000, 100,000 and 1,000,000 records (seed 1005), each figure the
# best of three whole-process runs, side by side in one run with its peers:
#
#   tool     tqxml -q -o FILE JOB, as a person runs it (a second thread while a
#            core is free)
#   export   the same conversion through CreateTQXMLFile, loaded the way a host
#            loads it (tqxml-host), all on the calling thread
#   peer     the XML library saving the very document tqxml wrote
#            (bench_peer_save: loaded first, untimed; four-space indent; into
#            a writer that only counts bytes), when libpugixml-dev was there
#   replay   tqxml --info JOB (the replay alone), against cksum JOB (reading
#            and checksumming every byte)
#
# Per size: job and document sizes, the three conversion times and their
# ratios to the peer, the replay's time and its ratio to cksum, time per
# record, and the tool's peak memory beside 1.2 times the job plus 32 MiB.
# Then -j 2 against -j 1 on six 100,000-record jobs, the median of five
# paired runs.
# RECORDS="10000 100000" narrows the sizes; JOBS_PAIRS=0 skips the -j pairs.
set -euo pipefail
build=${1:-build}
sizes=${RECORDS:-10000 100000 1000000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
peer=$build/bench/bench_peer_save

# Best of three of a whole command: "seconds peak_KiB".
best() {
  local best=1e9 peak=0 secs kib
  for run in 1 2 3; do
    /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" > /dev/null 2>&1
    read -r secs kib < "$scratch/time"
    best=$(awk -v a="$best" -v b="$secs" 'BEGIN { print (b < a ? b : a) }')
    peak=$(( kib > peak ? kib : peak ))
  done
  echo "$best $peak"
}

printf '%9s %7s %7s %7s %8s %7s %6s %6s %7s %7s %6s %7s %8s %8s\n' records job_MB xml_MB \
  tool_s export_s peer_s tool/p exp/p info_s cksum_s info/c us/rec peak_MiB limit_MiB
for n in $sizes; do
  job=$scratch/job.job
  "$build/tqxml-genjob" --records "$n" --seed 1005 "$job"
  read -r tool peak < <(best "$build/tqxml" -q -o "$scratch/out.xml" "$job")
  read -r export _ < <(best "$build/tqxml-host" --library "$build/libtqxml.so" "$job" "$scratch/host.xml")
  read -r info _ < <(best "$build/tqxml" --info "$job")
  read -r sum _ < <(best cksum "$job")
  peerSecs=-
  if [ -x "$peer" ]; then read -r peerSecs _ < <("$peer" "$scratch/out.xml"); fi
  jobBytes=$(stat -c %s "$job"); xml=$(stat -c %s "$scratch/out.xml")
  awk -v n="$n" -v job="$jobBytes" -v xml="$xml" -v t="$tool" -v e="$export" -v p="$peerSecs" \
      -v i="$info" -v c="$sum" -v kib="$peak" 'BEGIN {
    tp = (p == "-" || p <= 0) ? "-" : sprintf("%.2f", t / p)
    ep = (p == "-" || p <= 0) ? "-" : sprintf("%.2f", e / p)
    ic = (c <= 0) ? "-" : sprintf("%.1f", i / c)
    printf "%9d %7.1f %7.1f %7.2f %8.2f %7s %6s %6s %7.3f %7.3f %6s %7.2f %8.1f %8.1f\n", n,
           job/1e6, xml/1e6, t, e, p, tp, ep, i, c, ic, t*1e6/n, kib/1024, 1.2*job/1048576 + 32 }'
  rm -f "$scratch/out.xml" "$scratch/host.xml"
done

if [ "${JOBS_PAIRS:-1}" != 0 ]; then
  mkdir -p "$scratch/six"
  for seed in 1 2 3 4 5 6; do
    "$build/tqxml-genjob" --records 100000 --seed "$seed" "$scratch/six/job$seed.job"
  done
  ratios=()
  for pair in 1 2 3 4 5; do
    /usr/bin/time -f '%e' -o "$scratch/j1" "$build/tqxml" -q -j 1 "$scratch"/six/*.job
    /usr/bin/time -f '%e' -o "$scratch/j2" "$build/tqxml" -q -j 2 "$scratch"/six/*.job
    ratios+=("$(awk -v a="$(cat "$scratch/j1")" -v b="$(cat "$scratch/j2")" 'BEGIN { printf "%.3f", a / b }')")
  done
  median=$(printf '%s\n' "${ratios[@]}" | sort -n | sed -n 3p)
  echo "-j 2 over -j 1 on six 100,000-record jobs: ${median}x (median of five pairs: ${ratios[*]})"
fi
