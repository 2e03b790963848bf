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
echo "rqmcli-sim runs one command per process; the stand-in keeps the"
echo "session, the tool's state record and the chip's addresses between runs:"
ctl() { "$bin/sim/rqmsimctl" --port "$port" "$@"; }
ctl reset >/dev/null
ctl set label FW_Q23.02.0017 >/dev/null
for words in "connect" "get_mac" "set_mac -s 00:11:22:33:44:55" "get_mac" "disconnect"; do
  echo "\$ rqmcli $words"
  # shellcheck disable=SC2086  # the words are split on purpose
  out=$(RQMSIM_PORT=$port "$bin/cli/rqmcli-sim" $words)
  while IFS= read -r line; do echo "    $line"; done <<<"$out"
  # The program exits 0 either way; its last line tells.
  [ "$(tail -n 1 <<<"$out")" = "Sending CMD OK!" ] || { echo "demo: rqmcli $words failed" >&2; exit 1; }
done
echo "the driver now: connected=$(ctl get connected), source address $(ctl get mac 0)"
