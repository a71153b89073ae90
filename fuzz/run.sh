#!/usr/bin/env bash
# Fuzzes the real ulvane binary with AFL++: built with ASan and UBSan and the fuzz build's
# loop bound, seeded from the golden scripts, fed each input as a script file.
# Usage: fuzz/run.sh [SECONDS [FINDINGS_DIR]]   (default 60 s, build-fuzz/findings)
# Exits 1 when the fuzzer saved any crash or hang. Run again with the same FINDINGS_DIR
# to resume a campaign.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${ULVANE_FUZZ_BUILD:-build-fuzz}"
findings="${2:-$build/findings}"

CXX=afl-clang-fast++ cmake -S . -B "$build" -DULVANE_SANITIZE=ON -DULVANE_TESTS=OFF \
  -DULVANE_FUZZ_LOOP_LIMIT=1000 -DULVANE_WERROR=ON >/dev/null
cmake --build "$build" -j2

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
for script in tests/golden/*/*.ulv; do
  topic="$(basename "$(dirname "$script")")"
  cp "$script" "$seeds/$topic-$(basename "$script")"
done

# No UI without a terminal; no CPU binding, since the cores are shared; crashes are read
# from the findings folder, not from core dumps.
export AFL_NO_UI=1 AFL_NO_AFFINITY=1 AFL_SKIP_CPUFREQ=1 AFL_AUTORESUME=1
export AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1
afl-fuzz -i "$seeds" -o "$findings" -x fuzz/ulvane.dict -t 5000 -V "$seconds" \
  -- "$build/ulvane" @@ >"$build/afl.log" 2>&1 || { tail -30 "$build/afl.log"; exit 1; }

stats="$findings/default/fuzzer_stats"
grep -E '^(run_time|execs_done|execs_per_sec|corpus_count|saved_crashes|saved_hangs) ' "$stats"
found=0
for kind in crashes hangs; do
  for input in "$findings/default/$kind"/id:*; do
    [ -e "$input" ] || continue
    echo "finding ($kind): $input"
    found=1
  done
done
exit "$found"
