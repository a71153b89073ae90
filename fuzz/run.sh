#!/usr/bin/env bash
# Fuzzes the real ulvane binary with AFL++: built with ASan and UBSan and the fuzz build's
# loop bound, seeded from the golden scripts, fed each input as a script file.
# Usage: fuzz/run.sh [SECONDS [FINDINGS_DIR]]   (default 60 s, build-fuzz/findings)
# Exits 1 when the fuzzer saved any crash or hang. Run again with the same FINDINGS_DIR
# to resume a campaign.
set -euo pipefail
seconds="${1:-60}"
# Folders given on the command line are taken from where the script was called.
findings="${2:+$(realpath -m "$2")}"
build="${ULVANE_FUZZ_BUILD:+$(realpath -m "$ULVANE_FUZZ_BUILD")}"
cd "$(dirname "$0")/.."
build="${build:-build-fuzz}"
findings="${findings:-$build/findings}"

# Classic edge coverage: in its default mode, Debian's AFL++ (4.04c) also counts both ways of
# each select instruction, and in the evaluator's condition layout that counting code reads
# a wrong edge number and writes outside the coverage map: a crash of the instrumentation,
# not of the interpreter, which the sanitizer builds without AFL++ do not show.
export AFL_LLVM_INSTRUMENT=CLASSIC
CXX=afl-clang-fast++ cmake -S . -B "$build" -DULVANE_SANITIZE=ON -DULVANE_TESTS=OFF \
  -DULVANE_FUZZ_LOOP_LIMIT=1000 -DULVANE_WERROR=ON >/dev/null
cmake --build "$build" -j2

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
# The expected error lines in the scripts' comments lose their capital, so that the corpus
# holds no text that could pass for an error report when a message quotes it.
for script in tests/golden/*/*.ulv; do
  topic="$(basename "$(dirname "$script")")"
  sed 's/\[Error at line /[error at line /g' "$script" >"$seeds/$topic-$(basename "$script")"
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

# AFL++ sees only crashes and hangs. Replaying the corpus, with standard output writable and
# with it full, checks how each run ended: status 0 with nothing on standard error, or
# status 1 with one error report. A message may quote a string literal, so the opening may
# appear again as often as the script itself holds it.
count_reports() { grep -ao '\[Error at line ' "$1" | wc -l; }
err="$build/replay.err"
for input in "$findings/default/queue"/id:*; do
  for out in /dev/null /dev/full; do
    status=0
    timeout 60 "$build/ulvane" "$input" >"$out" 2>"$err" </dev/null || status=$?
    if [ "$status" = 0 ] && [ ! -s "$err" ]; then continue; fi
    reports="$(count_reports "$err")"
    if [ "$status" = 1 ] && head -c 15 "$err" | grep -q '^\[Error at line ' &&
       [ "$reports" -le $((1 + $(count_reports "$input"))) ]; then
      continue
    fi
    echo "finding (output to $out: status $status, $reports error reports): $input"
    found=1
  done
done
exit "$found"
