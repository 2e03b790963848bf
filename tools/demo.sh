#!/usr/bin/env bash
# make demo: a short session against the stand-in driver.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/host
port=$((4300000 + $$ % 100000))
"$bin/sim/rqmsim" --port "$port" --log "$bin/rqmsim-demo.log" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  "$bin/sim/rqmsimctl" --port "$port" ping >/dev/null 2>&1 && break
  sleep 0.1
done
echo "rqmsim (stand-in driver) runs on netlink port $port"
echo
RQMSIM_PORT=$port "$bin/tools/channel_demo"
echo
echo "rqmsim received $("$bin/sim/rqmsimctl" --port "$port" log | grep -c '^rx ') datagrams; its state now:"
"$bin/sim/rqmsimctl" --port "$port" state | grep -E "^(connected|numbering|rx_count|tx_count)=" | sed "s/^/  /"

echo
echo "rqmcli-sim runs one command per process; the stand-in keeps the tool's"
echo "state record between runs:"
"$bin/sim/rqmsimctl" --port "$port" reset >/dev/null
"$bin/sim/rqmsimctl" --port "$port" set label FW_Q23.02.0017 >/dev/null
for words in "connect" "help tx" "dis"; do
  echo "\$ rqmcli $words"
  # shellcheck disable=SC2086  # the words are split on purpose
  RQMSIM_PORT=$port "$bin/cli/rqmcli-sim" $words | sed "s/^/    /"
  echo "    record held by the driver: $("$bin/sim/rqmsimctl" --port "$port" get record)"
done
