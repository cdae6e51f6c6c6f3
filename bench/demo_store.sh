# Sourced by the benchmark scripts: runs the demo store for the script's lifetime.
#
#   start_demo_store STORE_EXE WORK_DIR [OPTION...]
#                                         starts it with its state in WORK_DIR/state (and the
#                                         options given), waits for its ready line and sets
#                                         $ready to that line; the store and WORK_DIR go when
#                                         the script exits or stop_demo_store is called
#   port_of NAME                          a field of the ready line (https, http, file1, file2,
#                                         file1tls, file2tls, ca)

store_pid=""
bench_work=""
stop_demo_store() {
  if [ -n "$store_pid" ]; then kill "$store_pid" 2>/dev/null || true; wait "$store_pid" 2>/dev/null || true; fi
  [ -z "$bench_work" ] || rm -rf "$bench_work"
}

start_demo_store() {
  local store=$1
  bench_work=$2
  shift 2
  trap stop_demo_store EXIT
  mkdir -p "$bench_work/state"
  "$store" --state "$bench_work/state" "$@" >"$bench_work/store.out" 2>"$bench_work/store.err" &
  store_pid=$!
  for _ in $(seq 100); do
    grep -q '^DEMO-STORE-READY' "$bench_work/store.out" && break
    kill -0 "$store_pid" 2>/dev/null || { echo "demo store did not start:" >&2; cat "$bench_work/store.err" >&2; exit 1; }
    sleep 0.1
  done
  ready=$(grep '^DEMO-STORE-READY' "$bench_work/store.out") || { echo "demo store did not report its ports" >&2; exit 1; }
}

port_of() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$ready"; }
