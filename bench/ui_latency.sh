#!/usr/bin/env bash
# How long the agent's UI thread stops turning on a slow store. Runs the real agent
# (offscreen) against the demo store answering every request DELAY_MS late (default
# 2000): start-up with a saved login, Download File, a coupon and a card purchase, with
# a heartbeat on the UI thread (bench/ui_latency/main.cpp).
#
#   bench/ui_latency.sh [BUILD_DIR]          (default: build/default)
#   DELAY_MS=3000 bench/ui_latency.sh build/ci
#
# Last line: max_ui_block_ms=… exchanges=… store_delay_ms=… first_window_ms=… control_max_gap_ms=…
# exchanges: the store requests the run made (every one answered late).
# control_max_gap_ms: the same heartbeat, at the same time, in a program that does
# nothing else: the floor this machine's scheduler sets (on a loaded machine every
# thread waits for a core now and then, whatever it does).
# Goals: max_ui_block_ms <= 50 and first_window_ms <= 500, whatever the delay.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${1:-build/default}
delay=${DELAY_MS:-2000}
store="$build_dir/tools/demo-store/demo-store"
bench="$build_dir/bench/qk-ui-latency-bench"
save_login="$build_dir/bench/qk-bench-save-login"
for tool in "$store" "$bench" "$save_login"; do
  [ -x "$tool" ] || { echo "missing $tool (build the targets demo-store, qk-ui-latency-bench and qk-bench-save-login)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qk-ui-latency.XXXXXX")
. bench/demo_store.sh
start_demo_store "$store" "$work" --delay "$delay"
mkdir "$work/settings" "$work/base"
mkdir -m 0700 "$work/runtime"
export QKAGENT_STORE_HOST=127.0.0.1
export QKAGENT_STORE_HTTPS_PORT=$(port_of https) QKAGENT_STORE_HTTP_PORT=$(port_of http)
export QKAGENT_FILE_HOST_PRIMARY=127.0.0.1:$(port_of file1) QKAGENT_FILE_HOST_SECONDARY=127.0.0.1:$(port_of file2)
export QKAGENT_CA_FILE=$(port_of ca) QKAGENT_SETTINGS_DIR="$work/settings" XDG_DATA_HOME="$work/base"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} XDG_RUNTIME_DIR="$work/runtime"
"$save_login" "$work/settings" pilot@tovrin.example skylane182
# No notification dialog to answer: the request still goes out, and is still late.
curl -sS --fail -o /dev/null "http://127.0.0.1:$QKAGENT_STORE_HTTP_PORT/_control?notification=off"

"$bench" --control 12 >"$work/control.out" &
control_pid=$!
line=$(QK_BENCH_LAUNCH_NS=$(date +%s%N) "$bench") || { echo "the run failed" >&2; exit 1; }
wait "$control_pid"
control=$(sed -n 's/control_max_gap_ms=\([0-9]*\)/\1/p' "$work/control.out")
echo "$line"
# Every store request of the run: the scripts (https) and the pictures and notification
# (http); the file servers' requests are not store exchanges.
exchanges=$(grep -c -E '^https? ' "$work/state/requests.log" || true)
max=$(sed -n 's/.*max_ui_block_ms=\([0-9]*\).*/\1/p' <<<"$line")
first=$(sed -n 's/.*first_window_ms=\([0-9]*\).*/\1/p' <<<"$line")
echo "max_ui_block_ms=$max exchanges=$exchanges store_delay_ms=$delay first_window_ms=$first control_max_gap_ms=$control"
