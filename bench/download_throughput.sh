#!/usr/bin/env bash
# Download throughput of the agent's engine (qk-fetch) against curl, both fetching
# the same 1 GiB file from the demo store's primary file server on loopback: once over
# plain HTTP, once over HTTPS from the same server's TLS twin (both clients verifying
# it with the demo store's CA file). Rounds alternate which client goes first; each
# download is timed for wall clock and CPU (user + sys) and deleted before the next one.
#
#   bench/download_throughput.sh [BUILD_DIR]      (default: build/default)
#   ROUNDS=5 SIZE=268435456 bench/download_throughput.sh build/release
#
# Last line: ratio=<engine / curl throughput, HTTP> https_ratio=<the same, HTTPS>
#            engine_cpu_s=<median> curl_cpu_s=<median> https_engine_cpu_s=<median> https_curl_cpu_s=<median>
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${1:-build/default}
rounds=${ROUNDS:-3}
size=${SIZE:-1073741824}
fetch="$build_dir/tools/qk-fetch/qk-fetch"
store="$build_dir/tools/demo-store/demo-store"
for tool in "$fetch" "$store"; do
  [ -x "$tool" ] || { echo "missing $tool (build the targets qk-fetch and demo-store)" >&2; exit 2; }
done
command -v curl >/dev/null || { echo "curl is needed for the comparison" >&2; exit 2; }
(( rounds >= 3 )) || { echo "ROUNDS must be at least 3" >&2; exit 2; }

work=$(mktemp -d /tmp/qk-bench.XXXXXX)
. bench/demo_store.sh
start_demo_store "$store" "$work"
ca=$(port_of ca)
plain_url="http://127.0.0.1:$(port_of file1)/sendfile.php?id=gen-$size"
tls_url="https://127.0.0.1:$(port_of file1tls)/sendfile.php?id=gen-$size"

# Runs one download of $url; appends "wall cpu" to the client's results file ($row names
# the protocol).
measure() {
  local client=$1 target="$work/$1.bin"
  local timing="$work/$client.time"
  if [ "$client" = engine ]; then
    QKAGENT_CA_FILE="$ca" /usr/bin/time -f '%e %U %S' -o "$timing" "$fetch" "$url" "$target" >"$work/engine.out" ||
      { echo "qk-fetch failed:" >&2; tail -3 "$work/engine.out" >&2; exit 1; }
  else
    /usr/bin/time -f '%e %U %S' -o "$timing" curl -sS --fail --cacert "$ca" -o "$target" "$url" ||
      { echo "curl failed" >&2; exit 1; }
  fi
  local got
  got=$(stat -c %s "$target")
  [ "$got" = "$size" ] || { echo "$client wrote $got bytes, expected $size" >&2; exit 1; }
  awk '{ printf "%s %.3f\n", $1, $2 + $3 }' "$timing" >>"$work/$row.$client.results"
  printf '%-5s %-6s round %d: wall %ss cpu %ss\n' "$row" "$client" "$round" \
    "$(tail -1 "$work/$row.$client.results" | cut -d' ' -f1)" "$(tail -1 "$work/$row.$client.results" | cut -d' ' -f2)"
}

median() {  # column $2 of file $1
  sort -n -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One row: sets ${row}_ratio, ${row}_engine_cpu and ${row}_curl_cpu.
run_row() {
  row=$1 url=$2
  for round in $(seq 1 "$rounds"); do
    if (( round % 2 )); then order="engine curl"; else order="curl engine"; fi
    for client in $order; do measure "$client"; done
    if (( round == 1 )); then
      cmp -s "$work/engine.bin" "$work/curl.bin" || { echo "engine and curl files differ" >&2; exit 1; }
      echo "$row round 1: engine file identical to curl's ($(sha256sum "$work/engine.bin" | cut -c1-16)...)"
    fi
    rm -f "$work/engine.bin" "$work/curl.bin"
  done
  local engine_wall curl_wall
  engine_wall=$(median "$work/$row.engine.results" 1)
  curl_wall=$(median "$work/$row.curl.results" 1)
  printf -v "${row}_engine_cpu" '%s' "$(median "$work/$row.engine.results" 2)"
  printf -v "${row}_curl_cpu" '%s' "$(median "$work/$row.curl.results" 2)"
  printf -v "${row}_ratio" '%s' "$(awk -v e="$engine_wall" -v c="$curl_wall" 'BEGIN { printf "%.3f", c / e }')"
  awk -v r="$row" -v s="$size" -v e="$engine_wall" -v c="$curl_wall" 'BEGIN {
    printf "%s: engine %.1f MB/s, curl %.1f MB/s (median wall %ss vs %ss)\n", r, s / e / 1048576, s / c / 1048576, e, c }'
}

run_row http "$plain_url"
run_row https "$tls_url"
echo "ratio=$http_ratio https_ratio=$https_ratio engine_cpu_s=$http_engine_cpu curl_cpu_s=$http_curl_cpu" \
     "https_engine_cpu_s=$https_engine_cpu https_curl_cpu_s=$https_curl_cpu"
