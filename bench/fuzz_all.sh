#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for SECONDS seconds (default 60),
# or for RUNS executions each with --runs=RUNS, each from a scratch copy of its seed
# corpus (fuzz/corpus/<target>/), so the repository's seeds stay as they are. Targets run
# two at a time (QK_FUZZ_JOBS=n for another number). One line per target, in name order:
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

# run_target NAME: one target from a scratch copy of its seeds; its summary line goes to
# $scratch/NAME/summary, so targets running side by side do not mix their lines.
run_target() {
  local name=$1
  local exe=build/fuzz/fuzz/fuzz_$name work=$scratch/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -r "fuzz/corpus/$name/." "$work/corpus/"
  "$exe" "${limit[@]}" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || true
  local execs cov crashes slowest
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]*' "$work/log" | tail -n1 | sed 's/cov: //')
  crashes=$(find "$work/artifacts" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'slow-unit-*' -o -name 'oom-*' -o -name 'leak-*' \) | wc -l)
  slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$work/log" | tail -n1)
  echo "target=$name execs=${execs:-0} cov=${cov:-0} crashes=$crashes slowest=${slowest:-?}" >"$work/summary"
}

names=()
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  [ -x "build/fuzz/fuzz/fuzz_$name" ] || { echo "missing build/fuzz/fuzz/fuzz_$name" >&2; exit 2; }
  names+=("$name")
done

# Two targets at a time (QK_FUZZ_JOBS): each fuzzer is one process on one core.
jobs_at_once=${QK_FUZZ_JOBS:-2}
running=0
for name in "${names[@]}"; do
  if [ "$running" -ge "$jobs_at_once" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$name" &
  running=$((running + 1))
done
wait || true

failed=0
for name in "${names[@]}"; do
  summary=$(cat "$scratch/$name/summary" 2>/dev/null) || { echo "target=$name did not finish" >&2; failed=1; continue; }
  echo "$summary"
  case "$summary" in *" crashes=0 "*) ;; *) failed=1 ;; esac
done
echo "logs and inputs: $scratch" >&2
exit "$failed"
