#!/usr/bin/env bash
# make demo: a short session against the stand-in driver.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/host
port=$((4300000 + $$ % 100000))
"$bin/sim/rqmsim" --port "$port" --log "$bin/rqmsim-demo.log" >/dev/null &
sim=$!
sdd_dir=$(mktemp -d /tmp/rqmdemo.XXXXXX)
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true; rm -rf "$sdd_dir"' EXIT
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
# Runs each command with the program named in $prog, shows what it printed,
# and stops the demo unless its last line says it worked (the program exits
# 0 either way).
prog=rqmcli-sim
declare -A sim_program=([rqmcli-sim]=cli/rqmcli-sim [rqmcli-hf-sim]=hf/rqmcli-hf-sim)
run() {
  for words in "$@"; do
    echo "\$ $prog $words"
    # shellcheck disable=SC2086  # the words are split on purpose
    out=$(RQMSIM_PORT=$port "$bin/${sim_program[$prog]}" $words)
    while IFS= read -r line; do echo "    $line"; done <<<"$out"
    [ "$(tail -n 1 <<<"$out")" = "Sending CMD OK!" ] || { echo "demo: $prog $words failed" >&2; exit 1; }
  done
}
run "connect" "set_mac -s 00:11:22:33:44:55" "get_mac" "disconnect"
echo "the driver now: connected=$(ctl get connected), source address $(ctl get mac 0)"

echo
echo "The SDD file: the driver names it, the tool dumps it and edits it in place."
sdd="$sdd_dir/demo.sdd"
{
  printf '\xc0\x02\x02\x03'                 # version 2.3
  printf '\x21\x04\x5a\x5a\x5a\x5a'         # an element the tool skips
  printf '\xc9\x02\x10\x00'                 # crystal frequency offset 16
  printf '\xe3\x18'                         # user power table, 12 entries of 1/16 dB
  printf '\xb0\x00\xb0\x00'                 #   11b
  printf '\xc0\x00%.0s' 1 2 3 4 5 6 7 8     #   11gn
  printf '\xa0\x00\x00\x00'                 #   MCS7, unused
} >"$sdd"
ctl set sddpath "$sdd" >/dev/null
echo "the driver's SDD path: $(ctl get sddpath)"
run "connect" "get_sdd_file" "get_sdd_power" "set_sdd_power 11b 42" "get_sdd_power" \
  "get_sdd_freq_offset" "set_sdd_freq_offset 100" "get_sdd_freq_offset" "disconnect"

echo
echo "Efuse is written once for good: the chip id from the factory, then a MAC"
echo "address burnt into efuse and read back; a second write is refused."
run "connect" "read_efuse CHIPID" "read_efuse MAC" "write_efuse MAC 00:11:22:33:44:55" "read_efuse MAC"
echo "\$ rqmcli-sim write_efuse MAC 66:77:88:99:aa:bb"
RQMSIM_PORT=$port "$bin/cli/rqmcli-sim" write_efuse MAC 66:77:88:99:aa:bb | sed "s/^/    /"
run "disconnect"
echo "the stand-in's efuse now holds the MAC address $(ctl get efuse 4)"

echo
echo "Chip memory and registers: a word written and read back, a hardware"
echo "register written and read, and the registers named in a file dumped"
echo "to another file, one \"address,value\" line each (the form load_reg reads)."
regs="$sdd_dir/regs.txt"
printf '// registers to dump\n0x89000000\n0x89000004, 0x00080000\n' >"$regs"
run "connect" "write_mem 0x89000004 0x12345678" "read_mem -a 0x89000000 -l 16" \
  "hw_write_reg 0x20 0xa5a5" "hw_read_reg 0x20" "save_reg -p $regs -d $sdd_dir/dump.txt" "disconnect"
echo "the dump file:"
sed "s/^/    /" "$sdd_dir/dump.txt"
echo "Reception outlives the run that starts it: frames arrive in the stand-in"
echo "between the runs, and a later run stops the receiver and measures the last one."
run "connect" "rx"
ctl set rxinject count 70000 errors 12 crc 5 mode 2 cfo 1000 snr 32768 rssi 0xC4 evm 328 rcpi 0xA0 >/dev/null
ctl set rxinject count 1 start0 0x2210 mode 5 cfo 0xFF38 snr 16384 rssi 0xBA evm 1024 rcpi 0x8C >/dev/null
rx_total=$(ctl get rx.total)
echo "the stand-in has received $rx_total frames, $(ctl get rx.errors) of them with errors"
run "rx_stop"
echo "rx_stop prints the low 16 bits of each counter: $rx_total frames show as" \
  "Total $((rx_total % 65536)) ($rx_total modulo 65536)"
run "disconnect"

echo
echo "The PHY comes up with the power the SDD in use holds for the rate; a"
echo "channel, a rate and a power level chosen in later runs stay with the"
echo "firmware, and the record the driver keeps carries them to the next run."
ctl load sdd >/dev/null
# What the PA detector and the calibration report: gain index 3 of the
# gain table, and correction words with leakage ratios of 20 and 10 dB.
ctl set padet index 3 >/dev/null
ctl set gain 3 17 34 >/dev/null
ctl set calblock 05000000fdffffff07000000f8ffffff640000000000000009000000640000000900000000000000 >/dev/null
run "connect" "enable_phy" "channel 5GHZ 4 9" "rate -m 5 -r 65" "power_level 50"
echo "the firmware now: channel word $(printf '0x%04x' "$(ctl get phy.channel)") (class 4, channel 9)," \
  "transmit mode $(ctl get txmib.mode)," \
  "rate $(ctl get txmib.rate), power $(ctl get power.auto_dbm) (dBm x 16)"
echo "the driver's record: channel $(ctl get recword 3), class $(ctl get recword 15)," \
  "mode $(ctl get recword 4), rate $(ctl get recword 5), SDD version x10 $(ctl get recword 17)"
run "rate" "disconnect"
echo "a rate without options falls back to 1 Mbit/s: transmit mode $(ctl get txmib.mode), rate $(ctl get txmib.rate)"
echo "Transmission outlives the run that starts it too: one run starts a continuous"
echo "transmission, a later run stops it; a counted burst is answered when it is done."
run "connect" "tx"
echo "the stand-in is transmitting: command $(ctl get tx.running) (continuous)"
run "tx_stop"
echo "the stand-in after tx_stop: command $(ctl get tx.running) (none)"
run "tx -n 50" "tx_cfg" "disconnect"
echo "A tone: the transmitter is brought to a known state and the radio tuned"
echo "one channel below the stored one; a later tone_stop turns it off and tunes back."
run "connect" "tone -m 4 -f 2500000 -g 7500000 -a 1 -b -0.5"
echo "the stand-in: tone on $(ctl get tone.on), words $(ctl get tone.words)," \
  "channel $(ctl get phy.channel) (stored $(ctl get recword 3))"
run "tone_stop" "disconnect"
echo "after tone_stop: tone on $(ctl get tone.on), channel $(ctl get phy.channel)"
echo "rqmcli-hf, the earlier command set, on the same stand-in: its connect"
echo "names the firmware, it takes only whole command words, and instead of a"
echo "record it keeps single values in the driver: its rate pushes the mode and"
echo "rate index it chose and writes mode and rate into the chip's transmit"
echo "block, and a later tx fetches the values back."
prog=rqmcli-hf-sim
ctl reset >/dev/null
ctl set sddelem 0xE3 d000d000d000d000d000d000d000d000d000d000d000d000 >/dev/null
run "connect" "get_mac" "rate -m 4 -r 65"
echo "the driver keeps: mode $(ctl get param.mode), rate index $(ctl get param.rate_index);" \
  "the transmit block: $(ctl get mem 0x0AB98010) $(ctl get mem 0x0AB98018)"
run "tx" "tx_stop"
echo "tx took the kept mode: packets of $(ctl get txmib.length) bytes (the HT length)"
echo "\$ rqmcli-hf-sim get_m"
RQMSIM_PORT=$port "$bin/hf/rqmcli-hf-sim" get_m | head -n 3 | sed "s/^/    /"
echo "    ..."
run "disconnect"
# The message ids of the session's datagrams, without their sequence bits:
# 993 and 994 only where a command fetched or pushed a value.
ids=$(ctl log | awk '/^rx /{print $2}' | while read -r h; do echo $((0x${h:38:2}${h:36:2} & 0x1FFF)); done)
echo "the requests the driver received in that session: "$ids
