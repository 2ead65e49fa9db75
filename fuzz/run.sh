#!/usr/bin/env bash
# fuzz/run.sh BUILD_DIR SECONDS: runs the fuzz target from the checked-in
# seeds; new finds stay in a scratch corpus.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-120}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
seeds=$here/corpus
mkdir -p "$scratch/export" "$scratch/tmp"
TMPDIR=$scratch/tmp "$build/fuzz/fuzz_export" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -dict="$here/job.dict" "$scratch/export" "$seeds"
# Each input's job and document are removed after it.
if [ -n "$(ls -A "$scratch/tmp")" ]; then
  echo "the fuzz target left files behind:" "$(ls -A "$scratch/tmp")" >&2
  exit 1
fi
