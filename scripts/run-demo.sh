#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo store on loopback and opens the
# agent on it. The demo store stops when the agent closes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target qk-agent demo-store

state="${QK_DEMO_STATE:-${XDG_STATE_HOME:-$HOME/.local/state}/qk-demo-store}"
mkdir -p "$state"
ready="$state/ready.line"
rm -f "$ready"
# QK_DEMO_DELAY_MS=2000: a store that answers every request 2 s late.
build/default/tools/demo-store/demo-store --state "$state" ${QK_DEMO_DELAY_MS:+--delay "$QK_DEMO_DELAY_MS"} >"$ready" &
store_pid=$!
trap 'kill "$store_pid" 2>/dev/null || true; wait "$store_pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 100); do
  grep -q '^DEMO-STORE-READY' "$ready" 2>/dev/null && break
  kill -0 "$store_pid" 2>/dev/null || { echo "demo store did not start" >&2; exit 1; }
  sleep 0.1
done
line=$(grep '^DEMO-STORE-READY' "$ready") || { echo "demo store did not report its ports" >&2; exit 1; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$line"; }

export QKAGENT_STORE_HOST=127.0.0.1
export QKAGENT_STORE_HTTPS_PORT="$(field https)"
export QKAGENT_STORE_HTTP_PORT="$(field http)"
export QKAGENT_FILE_HOST_PRIMARY="127.0.0.1:$(field file1)"
export QKAGENT_FILE_HOST_SECONDARY="127.0.0.1:$(field file2)"
export QKAGENT_CA_FILE="$(field ca)"
# The demo keeps its own settings (saved login, download folder) apart from a real store's.
export QKAGENT_SETTINGS_DIR="${QKAGENT_SETTINGS_DIR:-$state/settings}"

echo "Demo store: https://127.0.0.1:$QKAGENT_STORE_HTTPS_PORT (accounts: tools/demo-store/README.md)"
echo "Mailbox:    http://127.0.0.1:$QKAGENT_STORE_HTTP_PORT/mailbox.asp (verification links of new accounts)"
echo "Switches:   http://127.0.0.1:$QKAGENT_STORE_HTTP_PORT/_control?<name>=<value> (e.g. fileid=-rate512, primary=down)"
build/default/src/app/qk-agent
