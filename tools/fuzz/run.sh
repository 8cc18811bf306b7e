#!/usr/bin/env bash
# Runs the loading-path fuzzer for a bounded time, starting from seeds made from the generated
# world data and from the kept regression inputs, and prints how many inputs it ran. Exits non-zero
# on a finding; the input that caused it is written to BUILD_DIR/fuzz-findings/.
#   run.sh BUILD_DIR SECONDS
set -uo pipefail
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
findings="$build/fuzz-findings"
log="$build/fuzz.log"
rm -rf "$seeds"
bash "$here/make-seeds.sh" "$build/run" "$seeds" || exit 2
mkdir -p "$corpus" "$findings"

# The target's own console output is closed (-close_fd_mask=3); libFuzzer keeps its reports.
export LSAN_OPTIONS="suppressions=$here/../../tests/support/system-leaks.supp:print_suppressions=0"
xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp" "$build/tools/fuzz/velmora_fuzz_assets" \
  -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -close_fd_mask=3 \
  -print_final_stats=1 -artifact_prefix="$findings/" \
  "$corpus" "$seeds" "$here/regressions" > "$log" 2>&1
status=$?

grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|==[0-9]+==ERROR|SUMMARY|artifact_prefix)' "$log"
executions=$(awk '/stat::number_of_executed_units/ { print $NF }' "$log")
echo "fuzz: ${executions:-0} inputs run in ${seconds} s (exit status $status); full log in $log"
exit $status
