#!/usr/bin/env bash
# fuzz/run.sh BUILD_DIR SECONDS: runs both fuzz targets from the checked-in
# seeds, sharing the time between them; new finds stay in scratch corpora.
# FUZZ_CORPUS=empty starts from nothing instead (for coverage comparisons).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-120}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
seeds=$here/corpus
if [ "${FUZZ_CORPUS:-}" = empty ]; then seeds=$scratch/none; mkdir -p "$seeds"; fi
for target in convert export; do
  mkdir -p "$scratch/$target"
  "$build/fuzz/fuzz_$target" -max_total_time=$((seconds / 2)) -max_len=65536 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -dict="$here/job.dict" \
      "$scratch/$target" "$seeds"
done
