#!/usr/bin/env bash
# Start-up with large catalogs and long purchase histories: the real agent (offscreen)
# against the demo store serving a generated catalog of N products, the demo customer
# owning M of them. Timed from launch until the product list is filled and the first
# product's picture is asked for, against the same four exchanges (purchases, catalog,
# logo, picture) done by curl in the same run. Each size is run ROUNDS times (median).
#
#   bench/startup_scale.sh [BUILD_DIR]        (default: build/default)
#   ROUNDS=5 SIZES="2000x500 20000x2000" bench/startup_scale.sh build/ci
#
# Memory: the agent's resident memory after start-up minus that of a 20-product start,
# per byte of the catalog and purchases replies.
# Last line: ratio_2000x500=… ratio_20000x2000=… rss_per_reply_byte=…
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${1:-build/default}
rounds=${ROUNDS:-3}
sizes=${SIZES:-"20x1 2000x1 2000x500 20000x1 20000x2000"}
agent="$build_dir/src/app/qk-agent"
store="$build_dir/tools/demo-store/demo-store"
save_login="$build_dir/bench/qk-bench-save-login"
for tool in "$agent" "$store" "$save_login"; do
  [ -x "$tool" ] || { echo "missing $tool (build the targets qk-agent, demo-store and qk-bench-save-login)" >&2; exit 2; }
done
command -v curl >/dev/null || { echo "curl is needed" >&2; exit 2; }

. bench/demo_store.sh
email=pilot@tovrin.example
password=skylane182
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# The log names request targets in hexadecimal.
picture_hex=$(printf '%s' product_main.jpg | od -An -tx1 | tr -d ' \n')

# One size: sets agent_ms, bare_ms, rss_kb and reply_bytes (medians over the rounds).
run_size() {
  local products=$1 owned=$2 work
  work=$(mktemp -d /tmp/qk-startup-bench.XXXXXX)
  start_demo_store "$store" "$work" --catalog-size "$products" --owned "$owned"
  local https=$(port_of https) http=$(port_of http) ca=$(port_of ca)
  mkdir "$work/settings" "$work/base"
  mkdir -m 0700 "$work/runtime"
  "$save_login" "$work/settings" "$email" "$password"

  local curl_args=(-sS --fail --cacert "$ca" -o /dev/null -w '%{size_download}\n')
  local store_url="https://127.0.0.1:$https/vnpurchase1.asp"
  local first=$(printf 'gen-%06d' 1)
  local agents=() bares=() rsses=() round t0 t1 pid rss
  for round in $(seq "$rounds"); do
    t0=$(now_ms)
    reply_bytes=$(( $(curl "${curl_args[@]}" --data-binary "action=getpurchases&version=2.11&qk=2&email=$email&password=$password&vendorid=tovrin" "$store_url") +
                    $(curl "${curl_args[@]}" --data-binary "action=catalog&vendorid=tovrin&version=2.11&qk=2&channel=0&productid=" "$store_url") ))
    curl "${curl_args[@]}" "http://127.0.0.1:$http/vendors/tovrin/logo_s.png" >/dev/null
    curl "${curl_args[@]}" "http://127.0.0.1:$http/vendors/tovrin/$first/product_main.jpg" >/dev/null
    t1=$(now_ms)
    bares+=($(( t1 - t0 )))

    : >"$work/state/requests.log"
    t0=$(now_ms)
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/base" \
      QKAGENT_STORE_HOST=127.0.0.1 QKAGENT_STORE_HTTPS_PORT="$https" QKAGENT_STORE_HTTP_PORT="$http" \
      QKAGENT_FILE_HOST_PRIMARY="127.0.0.1:$(port_of file1)" QKAGENT_FILE_HOST_SECONDARY="127.0.0.1:$(port_of file2)" \
      QKAGENT_CA_FILE="$ca" QKAGENT_SETTINGS_DIR="$work/settings" "$agent" >"$work/agent.out" 2>&1 &
    pid=$!
    until grep -q "$picture_hex" "$work/state/requests.log" 2>/dev/null; do
      kill -0 "$pid" 2>/dev/null || { echo "the agent ended before asking for a picture:" >&2; cat "$work/agent.out" >&2; exit 1; }
      sleep 0.002
    done
    t1=$(now_ms)
    agents+=($(( t1 - t0 )))
    sleep 0.5  # let start-up settle before reading the memory
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    rsses+=("$rss")
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
  stop_demo_store
  store_pid=""
  agent_ms=$(printf '%s\n' "${agents[@]}" | median)
  bare_ms=$(printf '%s\n' "${bares[@]}" | median)
  rss_kb=$(printf '%s\n' "${rsses[@]}" | median)
}

declare -A ratio rss replies
for size in $sizes; do
  products=${size%x*} owned=${size#*x}
  run_size "$products" "$owned"
  ratio[$size]=$(awk -v a="$agent_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}')
  rss[$size]=$rss_kb
  replies[$size]=$reply_bytes
  echo "${products} products x ${owned} orders: agent ${agent_ms} ms, bare exchanges ${bare_ms} ms, ratio ${ratio[$size]}, rss ${rss_kb} KiB, replies ${reply_bytes} bytes"
done

per_byte=n/a
if [ -n "${rss[20x1]:-}" ] && [ -n "${rss[20000x2000]:-}" ]; then
  per_byte=$(awk -v big="${rss[20000x2000]}" -v small="${rss[20x1]}" -v bytes="${replies[20000x2000]}" \
             'BEGIN {printf "%.2f", (big - small) * 1024 / bytes}')
fi
echo "ratio_2000x500=${ratio[2000x500]:-n/a} ratio_20000x2000=${ratio[20000x2000]:-n/a} rss_per_reply_byte=$per_byte"
