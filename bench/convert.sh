#!/usr/bin/env bash
# bench/convert.sh [BUILD_DIR]: whole-process timings of the tqxml tool on
# generated jobs of 10,000, 100,000 and 1,000,000 records: wall time, records
# per second, MB of XML per second, peak memory against the job's size.
set -euo pipefail
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf '%10s %9s %9s %8s %12s %9s %10s %11s\n' records job_MB xml_MB seconds records/s XML_MB/s peak_MiB limit_MiB
for n in 10000 100000 1000000; do
  "$build/tqxml-genjob" --records "$n" --seed 42 "$scratch/job.job"
  /usr/bin/time -f '%e %M' -o "$scratch/time" "$build/tqxml" -q -o "$scratch/out.xml" "$scratch/job.job"
  read -r secs kib < "$scratch/time"
  job=$(stat -c %s "$scratch/job.job"); xml=$(stat -c %s "$scratch/out.xml")
  awk -v n="$n" -v job="$job" -v xml="$xml" -v s="$secs" -v kib="$kib" 'BEGIN {
    if (s <= 0) s = 0.005
    printf "%10d %9.1f %9.1f %8.2f %12.0f %9.0f %10.1f %11.1f\n", n, job/1e6, xml/1e6, s, n/s,
           xml/1e6/s, kib/1024, 2.5*job/1048576 + 32 }'
  rm -f "$scratch/out.xml"
done
