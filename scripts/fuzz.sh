#!/usr/bin/env bash
# `make fuzz`: each target under libFuzzer for FUZZ_SECONDS (60), from the
# corpus in tests/fuzz/corpus; what it finds goes to build/fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
for target in stored_number command_line; do
  mkdir -p "build/fuzz/corpus/$target"
  echo "== fuzz_$target, $seconds s"
  status=0
  build/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/" "build/fuzz/corpus/$target" "tests/fuzz/corpus/$target" \
    >"build/fuzz/$target.log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY|Test unit written' \
    "build/fuzz/$target.log" || true
  [ $status -eq 0 ] || { echo "fuzz_$target failed: build/fuzz/$target.log"; exit 1; }
done
