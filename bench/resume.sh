#!/usr/bin/env bash
# A download killed halfway and started again: 256 MiB from the demo store's primary file
# server on loopback, fetched by qk-fetch as the agent fetches (through "<file>.part"),
# the process killed with SIGKILL at about half (as a crash or a power cut would stop
# it), then the same download started again. Like the store's own file servers, the file
# server sends no validator, so the second run asks again from 64 KiB before the partial
# file's end and compares those bytes before it appends (ETAG=<tag> gives the file a strong
# entity tag instead: then Range and If-Range continue at the very end).
#
#   bench/resume.sh [BUILD_DIR]      (default: build/default)
#   SIZE=1073741824 BENCH_DIR=/var/tmp bench/resume.sh build/ci
#
# The first run is held to 128 MiB/s so that the kill lands near the middle; the second
# runs at full speed. "received" is what the file server delivered to the second run.
# Last lines: overlap_bytes=<bytes asked again before the partial file's end>
#             refetched_ratio=<bytes fetched after the restart, overlap included / bytes missing> (goal ≤ 1.01)
#             exact=yes|no (the file compared byte for byte with what the store serves)
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${1:-build/default}
size=${SIZE:-268435456}
fetch="$build_dir/tools/qk-fetch/qk-fetch"
store="$build_dir/tools/demo-store/demo-store"
for tool in "$fetch" "$store"; do
  [ -x "$tool" ] || { echo "missing $tool (build the targets qk-fetch and demo-store)" >&2; exit 2; }
done
command -v curl >/dev/null || { echo "curl is needed for the reference copy" >&2; exit 2; }

scratch=${BENCH_DIR:-/tmp}
if [ -z "${BENCH_DIR:-}" ] && [ -d /dev/shm ] &&
   (( $(df -k --output=avail /dev/shm | tail -1) > 3 * size / 1024 )); then scratch=/dev/shm; fi
work=$(mktemp -d "$scratch/qk-resume-bench.XXXXXX")
. bench/demo_store.sh
start_demo_store "$store" "$work"
base="http://127.0.0.1:$(port_of file1)/sendfile.php?id=gen-$size${ETAG:+-etag$ETAG}"
target="$work/file.bin"

# First run, killed at about half.
"$fetch" --part 1 "$base-rate131072" "$target" "$size" >"$work/first.out" 2>&1 &
pid=$!
half=$(( size / 2 ))
while kill -0 "$pid" 2>/dev/null; do
  got=$(stat -c %s "$target.part" 2>/dev/null || echo 0)
  (( got >= half )) && break
  sleep 0.01
done
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ ! -e "$target" ] || { echo "the killed run left a file that looks complete" >&2; exit 1; }
kept=$(stat -c %s "$target.part")
missing=$(( size - kept ))
echo "killed at $kept of $size bytes ($(awk -v k="$kept" -v s="$size" 'BEGIN { printf "%.1f", k * 100 / s }') %); partial file and $(basename "$target").part.id kept"

# Second run: continues the partial file.
start=$(date +%s.%N)
"$fetch" --part 1 "$base" "$target" "$size" >"$work/second.out" 2>&1 || {
  echo "the second run failed:" >&2; tail -3 "$work/second.out" >&2; exit 1; }
end=$(date +%s.%N)
received=$(sed -n 's/^received=//p' "$work/second.out")
[ -n "$received" ] || { echo "the second run did not report what it received" >&2; exit 1; }
echo "second run: received=$received missing=$missing in $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.0f", (e - s) * 1000 }') ms; last text: $(grep '|Completed$' "$work/second.out" | tail -1)"

# What the second run asked for, from the store's request log (hex fields, log_format.h).
unhex() { printf '%b' "$(sed 's/../\\x&/g' <<<"$1")"; }
asked=""
for field in $(grep '^file1 ' "$work/state/requests.log" | tail -1 | cut -d' ' -f5-); do
  name=$(unhex "${field%%:*}")
  case "${name,,}" in range|if-range) asked+="$name: $(unhex "${field#*:}")  " ;; esac
done
echo "second run asked: $asked"
first=$(sed -n 's/.*Range: bytes=\([0-9]*\)-.*/\1/p' <<<"$asked")
[ -n "$first" ] || { echo "the second run asked no range" >&2; exit 1; }

# The reference: what the store serves, fetched whole by curl.
curl -sS --fail -o "$work/reference.bin" "http://127.0.0.1:$(port_of file1)/sendfile.php?id=gen-$size"
if cmp -s "$target" "$work/reference.bin"; then exact=yes; else exact=no; fi
[ ! -e "$target.part" ] || exact=no
echo "overlap_bytes=$(( kept - first ))"
awk -v r="$received" -v m="$missing" 'BEGIN { printf "refetched_ratio=%.4f\n", r / m }'
echo "exact=$exact"
