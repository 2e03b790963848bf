#!/usr/bin/env bash
# Installs a built host tree into a fresh prefix, builds examples/ against
# that prefix as another program would (its CMake package; the compiler
# with pkg-config's flags, the files named in both orders) and runs both
# builds against a private rqmsim from the prefix.
#   example_on_install.sh BUILD_TREE EXAMPLES_DIR WORK_DIR CXX
set -uo pipefail
build=$1 examples=$2 work=$3 cxx=$4
prefix=$work/prefix

fail() {
  echo "FAIL: $*"
  exit 1
}
step() {  # log, command...: runs it, shows the log if it fails
  local log=$work/$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; fail "$*"; }
}

rm -rf "$work"
mkdir -p "$work"
step install.log cmake --install "$build" --prefix "$prefix"
for internal in api/rqm_request.h api/api_variant.h api/device_request.h transport/vormac_adapter.h \
  transport/netlink_peer.h transport/adapter.h common/hi_msg.h; do
  [ ! -e "$prefix/include/rqm/$internal" ] || fail "internal header installed: $internal"
done

step configure.log cmake -S "$examples" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror"
step build.log cmake --build "$work/build"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# Each file keeps its archives whole, whichever is named first.
for order in "rqm rqm-peer-sim" "rqm-peer-sim rqm"; do
  # shellcheck disable=SC2046,SC2086  # pkg-config's words and the order are split on purpose
  step pkg-config.log "$cxx" -Wall -Wextra -Werror "$examples/mac_addresses.cpp" \
    -o "$work/mac_addresses_pc_${order%% *}" $(pkg-config --cflags --libs $order)
done

port=$((4600000 + $$ % 100000))
"$prefix/bin/rqmsim" --port "$port" >"$work/rqmsim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
ctl() { "$prefix/bin/rqmsimctl" --port "$port" "$@"; }
for _ in $(seq 50); do
  ctl ping >/dev/null 2>&1 && break
  sleep 0.1
done
ctl ping >/dev/null || fail "rqmsim did not start"

# Addresses whose bytes all differ, and an image the driver must be handed.
ctl set mac 0 001122334455 >/dev/null || fail "set mac 0"
ctl set mac 1 66778899aabb >/dev/null || fail "set mac 1"
ctl set mac 2 c0ffee010203 >/dev/null || fail "set mac 2"
printf 'IMAGE-1' >"$work/fw.bin"
want=$'source      00:11:22:33:44:55\ndestination 66:77:88:99:aa:bb\nBSSID       c0:ff:ee:01:02:03'
# The driver channel's target looks for the boot loader's report three
# times, a millisecond apart; on a loaded machine a start can miss it and
# fail, as on the board, so a run is tried a few times.
for program in "$work/build/mac_addresses" "$work/mac_addresses_pc_rqm" "$work/mac_addresses_pc_rqm-peer-sim"; do
  for _ in 1 2 3 4 5; do
    out=$(RQMSIM_PORT=$port "$program" "$work/fw.bin")
    rc=$?
    got=$(tail -n 3 <<<"$out")
    [ $rc -eq 0 ] && [ "$got" = "$want" ] && break
  done
  [ $rc -eq 0 ] && [ "$got" = "$want" ] || fail "$program exited $rc and printed:"$'\n'"$out"
  [ "$(ctl get download fw)" = "bytes $(od -An -tx1 "$work/fw.bin" | tr -d ' \n')" ] ||
    fail "$program: the stand-in holds $(ctl get download fw)"
  echo "$program: $(tr '\n' ' ' <<<"$got")"
done
