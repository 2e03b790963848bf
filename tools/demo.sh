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
