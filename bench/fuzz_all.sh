#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for SECONDS seconds (default 60),
# or for RUNS executions each with --runs=RUNS, each from a scratch copy of its seed
# corpus (fuzz/corpus/<target>/), so the repository's seeds stay as they are. One line
# per target:
#   target=<name> execs=<n> cov=<n> crashes=<n> slowest=<seconds>
# Any input running longer than a second counts as a crash (a timeout). Exits non-zero
# when any target crashed, timed out or found a slow unit; the inputs are kept in the
# scratch folder printed at the end.
#
#   bench/fuzz_all.sh [SECONDS | --runs=RUNS]
set -euo pipefail

cd "$(dirname "$0")/.."
limit=(-max_total_time="${1:-60}")
case "${1:-}" in
  --runs=*) limit=(-runs="${1#--runs=}") ;;
esac

scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 --target qk_fuzzers >/dev/null

scratch=$(mktemp -d /tmp/qk-fuzz.XXXXXX)
failed=0
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  exe=build/fuzz/fuzz/fuzz_$name
  [ -x "$exe" ] || { echo "missing $exe" >&2; exit 2; }
  work="$scratch/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -r "$seeds". "$work/corpus/"
  "$exe" "${limit[@]}" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || true
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]*' "$work/log" | tail -n1 | sed 's/cov: //')
  crashes=$(find "$work/artifacts" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'slow-unit-*' -o -name 'oom-*' -o -name 'leak-*' \) | wc -l)
  slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$work/log" | tail -n1)
  echo "target=$name execs=${execs:-0} cov=${cov:-0} crashes=$crashes slowest=${slowest:-?}"
  [ "$crashes" -eq 0 ] || failed=1
done
echo "logs and inputs: $scratch" >&2
exit "$failed"
