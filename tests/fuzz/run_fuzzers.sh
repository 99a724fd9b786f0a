#!/bin/sh
# Runs every fuzz target for a bounded time on its seed corpus and prints the number of inputs run.
# Usage: run_fuzzers.sh <build directory> [seconds per target]
set -eu
build=${1:?build directory}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
for target in fuzz_state_chunk fuzz_settings_record fuzz_info_line fuzz_options fuzz_import_bank; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    if [ -d "$here/seeds/$target" ]; then cp -n "$here/seeds/$target/"* "$corpus/" 2>/dev/null || true; fi
    log="$build/$target.log"
    "$build/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=8192 "$corpus" >"$log" 2>&1
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1)
    echo "$target: ${runs:-no summary} in ${seconds}s"
done
