#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each, one after the
# other: scripts/fuzz.sh SECONDS [TARGET...]. Each starts from its seeds and
# the corpus earlier runs left in build-fuzz/corpus/; a crash, leak, sanitizer
# finding, hang (10 s per input) or failed check leaves the input in
# build-fuzz/findings/<target>/ and fails the script. Prints one line of
# figures per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
. scripts/sanitize-env.sh
scripts/fuzz-seeds.sh build-fuzz/seeds
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in build-fuzz/seeds/*/; do targets+=("$(basename "$dir")"); done
fi

failed=0
for t in "${targets[@]}"; do
  bin="build-fuzz/tests/fuzz/$t"
  [ -x "$bin" ] || { echo "fuzz: no target $t"; exit 2; }
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t"
  log="build-fuzz/$t.log"
  # The engine's own "veltra: " lines for refused inputs would fill the log.
  set +o pipefail
  # Inputs that once failed are kept in tests/fuzz/regressions/ and replayed by every run.
  regressions=()
  [ -d "tests/fuzz/regressions/$t" ] && regressions=("tests/fuzz/regressions/$t")
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$t/" "build-fuzz/corpus/$t" "build-fuzz/seeds/$t" "${regressions[@]}" 2>&1 |
    grep -av '^veltra: ' > "$log"
  status="${PIPESTATUS[0]}"
  set -o pipefail
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)"
  cov="$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)"
  corpus="$(find "build-fuzz/corpus/$t" -type f | wc -l)"
  if [ "$status" -eq 0 ]; then
    echo "$t: ${runs:-?} inputs in ${seconds} s, coverage ${cov:-?} edges, corpus $corpus, peak RSS ${rss:-?} MB, no findings"
  else
    echo "$t: FAILED (status $status) after ${runs:-?} inputs; see $log and build-fuzz/findings/$t/"
    tail -40 "$log"
    failed=1
  fi
done
exit "$failed"
