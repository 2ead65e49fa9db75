#!/usr/bin/env bash
# bench/convert.sh [BUILD_DIR]: whole-process timings of the tqxml tool on
# generated jobs of 10,000, 100,000 and 1,000,000 records (seed 1005), each
# the best of three, against the XML library saving the very document tqxml
# wrote (bench_peer_save: loaded first, untimed; four-space indent; into a
# writer that only counts bytes; best of three). Prints per size: the job and
# document sizes, tqxml's time, the peer's, their ratio, tqxml's MB of XML per
# second, time per record, and the peak memory against the job's size.
# RECORDS="10000 100000" narrows the sizes. The peer needs libpugixml-dev.
set -euo pipefail
build=${1:-build}
sizes=${RECORDS:-10000 100000 1000000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
peer=$build/bench/bench_peer_save
printf '%9s %7s %7s %8s %8s %6s %8s %7s %9s %7s\n' records job_MB xml_MB tqxml_s peer_s ratio XML_MB/s us/rec peak_MiB x_job
for n in $sizes; do
  "$build/tqxml-genjob" --records "$n" --seed 1005 "$scratch/job.job"
  best=1e9 peak=0
  for run in 1 2 3; do
    /usr/bin/time -f '%e %M' -o "$scratch/time" "$build/tqxml" -q -o "$scratch/out.xml" "$scratch/job.job"
    read -r secs kib < "$scratch/time"
    best=$(awk -v a="$best" -v b="$secs" 'BEGIN { print (b < a ? b : a) }')
    peak=$(( kib > peak ? kib : peak ))
  done
  peerSecs=-
  if [ -x "$peer" ]; then read -r peerSecs _ < <("$peer" "$scratch/out.xml"); fi
  job=$(stat -c %s "$scratch/job.job"); xml=$(stat -c %s "$scratch/out.xml")
  awk -v n="$n" -v job="$job" -v xml="$xml" -v s="$best" -v p="$peerSecs" -v kib="$peak" 'BEGIN {
    if (s <= 0) s = 0.005
    ratio = (p == "-" || p <= 0) ? "-" : sprintf("%.1f", s / p)
    printf "%9d %7.1f %7.1f %8.2f %8s %6s %8.0f %7.2f %9.1f %7.2f\n", n, job/1e6, xml/1e6, s, p,
           ratio, xml/1e6/s, s*1e6/n, kib/1024, kib*1024/job }'
  rm -f "$scratch/out.xml"
done
