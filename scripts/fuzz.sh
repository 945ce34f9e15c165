#!/usr/bin/env bash
# fuzz.sh FUZZ_BUILD_DIR SEED_CORPUS_DIR SECONDS: runs every fuzz target for
# SECONDS, new inputs kept under the build folder (seeds stay untouched).
set -euo pipefail
bin=$1 seeds=$2 secs=$3
for f in "$bin"/fuzz_*; do
  name=${f##*/fuzz_}
  work="$bin/found/$name"
  mkdir -p "$work"
  extra=()
  # Movie loading also starts from the test content the build compiles.
  [ "$name" = engine_load ] && extra=("$bin/../content")
  echo "== $name: ${secs}s"
  "$f" -max_total_time="$secs" -print_final_stats=1 "$work" "$seeds/$name" "${extra[@]}"
done
