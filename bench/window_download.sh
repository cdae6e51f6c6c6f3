#!/usr/bin/env bash
# Download through the real main window (offscreen: Download File, the worker and the
# progress timer) against qk-fetch, both fetching the same 1 GiB file from the demo
# store's primary file server on loopback. Rounds alternate which goes first; each file
# is checked for its size and deleted before the next download.
#
#   bench/window_download.sh [BUILD_DIR]      (default: build/default)
#   ROUNDS=7 SIZE=268435456 BENCH_DIR=/var/tmp bench/window_download.sh build/ci
#
# The files go to /dev/shm when it has room for them (else /tmp, or BENCH_DIR).
#
# The window's throughput is taken from the click to the worker's end (the file whole
# on disk); "shown" adds the wait for the next 500 ms tick that reports it.
# Last line: ratio=<window throughput / qk-fetch throughput> tick_p50_ms=… tick_max_ms=… ui_busy_ms_max=…
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${1:-build/default}
rounds=${ROUNDS:-5}
size=${SIZE:-1073741824}
fetch="$build_dir/tools/qk-fetch/qk-fetch"
store="$build_dir/tools/demo-store/demo-store"
window="$build_dir/bench/qk-window-bench"
for tool in "$fetch" "$store" "$window"; do
  [ -x "$tool" ] || { echo "missing $tool (build the targets qk-fetch, demo-store and qk-window-bench)" >&2; exit 2; }
done
(( rounds >= 1 )) || { echo "ROUNDS must be at least 1" >&2; exit 2; }

# Files go to memory when there is room, so the disk's write-back does not decide the race.
scratch=${BENCH_DIR:-/tmp}
if [ -z "${BENCH_DIR:-}" ] && [ -d /dev/shm ] &&
   (( $(df -k --output=avail /dev/shm | tail -1) > 3 * size / 1024 )); then scratch=/dev/shm; fi
work=$(mktemp -d "$scratch/qk-window-bench.XXXXXX")
. bench/demo_store.sh
start_demo_store "$store" "$work"
mkdir "$work/settings" "$work/base"
mkdir -m 0700 "$work/runtime"
export QKAGENT_STORE_HOST=127.0.0.1
export QKAGENT_STORE_HTTPS_PORT=$(port_of https) QKAGENT_STORE_HTTP_PORT=$(port_of http)
export QKAGENT_FILE_HOST_PRIMARY=127.0.0.1:$(port_of file1) QKAGENT_FILE_HOST_SECONDARY=127.0.0.1:$(port_of file2)
export QKAGENT_CA_FILE=$(port_of ca) QKAGENT_SETTINGS_DIR="$work/settings" XDG_DATA_HOME="$work/base"
export QK_BENCH_EMAIL=pilot@tovrin.example QK_BENCH_PASSWORD=skylane182 QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"

# The window asks the store for the file of an owned product: have it hand out the big one.
curl -sS --fail -o /dev/null "http://127.0.0.1:$QKAGENT_STORE_HTTP_PORT/_control?servefile=gen-$size"
url="http://$QKAGENT_FILE_HOST_PRIMARY/sendfile.php?id=gen-$size"

measure_window() {
  local line
  line=$("$window" "$work/base") || { echo "the window's download failed" >&2; exit 1; }
  local bytes file
  bytes=$(sed -n 's/.* bytes=\([0-9]*\).*/\1/p' <<<"$line")
  file=$(sed -n 's/.* file=\(.*\)$/\1/p' <<<"$line")
  [ "$bytes" = "$size" ] || { echo "the window wrote $bytes bytes, expected $size" >&2; exit 1; }
  echo "$line" >>"$work/window.results"
  echo "window round $round: ${line% file=*}"
  window_file=$file
}

measure_fetch() {
  local start end
  start=$(date +%s.%N)
  "$fetch" "$url" "$work/fetch.bin" >"$work/fetch.out" || { echo "qk-fetch failed:" >&2; tail -3 "$work/fetch.out" >&2; exit 1; }
  end=$(date +%s.%N)
  local got
  got=$(stat -c %s "$work/fetch.bin")
  [ "$got" = "$size" ] || { echo "qk-fetch wrote $got bytes, expected $size" >&2; exit 1; }
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }' >>"$work/fetch.results"
  echo "qk-fetch round $round: transfer_ms=$(tail -1 "$work/fetch.results")"
}

window_file=""
for round in $(seq 1 "$rounds"); do
  if (( round % 2 )); then order="window fetch"; else order="fetch window"; fi
  for client in $order; do "measure_$client"; done
  if (( round == 1 )); then
    cmp -s "$window_file" "$work/fetch.bin" || { echo "the window's file differs from qk-fetch's" >&2; exit 1; }
    echo "round 1: the window's file is identical to qk-fetch's"
  fi
  rm -f "$window_file" "$window_file.cfg" "$work/fetch.bin"
done

field() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p" "$work/window.results"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
window_ms=$(field transfer_ms | median)
shown_ms=$(field shown_ms | median)
fetch_ms=$(median <"$work/fetch.results")
p50=$(field tick_p50_ms | median)
tick_max=$(field tick_max_ms | sort -n | tail -1)
busy_max=$(field ui_busy_ms_max | sort -n | tail -1)
awk -v s="$size" -v w="$window_ms" -v f="$fetch_ms" -v sh="$shown_ms" 'BEGIN {
  printf "window %.1f MB/s, qk-fetch %.1f MB/s (median %s ms vs %s ms; shown complete after %s ms)\n",
         s / w / 1048.576, s / f / 1048.576, w, f, sh }'
awk -v w="$window_ms" -v f="$fetch_ms" -v p="$p50" -v t="$tick_max" -v b="$busy_max" \
  'BEGIN { printf "ratio=%.3f tick_p50_ms=%s tick_max_ms=%s ui_busy_ms_max=%s\n", f / w, p, t, b }'
