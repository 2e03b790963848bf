#!/usr/bin/env bash
# Builds every libFuzzer target tests/fuzz/fuzz_*.cpp with clang and runs
# each for a while; exits nonzero when a target crashes or fails to build.
#   run-fuzz.sh [seconds] [target...]    seconds per target, default 5;
#                                        targets by name (fuzz_text), default all
# A target names the project sources it links in comment lines
#   // fuzz-sources: api/util.cpp common/print_hooks.cpp ...
# (as many as it needs) where a pattern (cli/*.cpp) stands for the files it matches and a word
# with a leading ! (!cli/rqmcli.cpp) leaves that file out.
# Targets and findings live in build/fuzz/<target>/: corpus/ grows from run
# to run, crash-* and the like are the inputs that failed. Each source is
# compiled to an object there, several at once, and again only when it, a
# header or this script has changed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

seconds=${1:-5}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [seconds] [target...]" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ is missing; install it with: apt-get install clang libclang-rt-14-dev" >&2
  exit 2
fi

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in tests/fuzz/fuzz_*.cpp; do
    [ -e "$f" ] && targets+=("$(basename "$f" .cpp)")
  done
fi

# Seeds are written fresh on each run so that nothing but this script
# decides them; a target without a case starts from an empty corpus.
write_seeds() {  # target, directory
  local dir=$2
  case $1 in
  fuzz_text)
    printf '0x00000010,0x000000ff\n0x00000020,0x12345678\n' >"$dir/reg"
    printf '// head\r\n0x00000010,0x000000ff   // tail\r\n/* block * / */0x00000020,0x00000001' >"$dir/reg_comments"
    printf '12, 34.56\t78\n1 2 \n' >"$dir/frame"
    printf '  0x10 0x20\tFFFFFFFFF,abc.0x' >"$dir/words"
    printf 'a/* *' >"$dir/open_block"
    printf 'x/' >"$dir/slash"
    ;;
  fuzz_sdd_walk)
    printf '\xc0\x02\x02\x05\xc9\x02\x10\x00\xb0\x04\x01\x02\x03\x04' >"$dir/elements"
    printf '\xc0\x02\x02\x03\xe3\x18\x01' >"$dir/truncated"
    printf '\xc9\x00\xc9\x01\x05' >"$dir/zero_length"
    ;;
  fuzz_rx)
    # request, parameter, flags, then datagrams: 16-bit length, bytes
    local mac0='\x14\x00\x37\x04\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x01\x00\x00'
    local mac1='\x14\x00\x37\x04\x00\x00\x00\x00\x01\x00\x00\x00\xff\xff\xff\xff\xff\xff\x00\x00'
    printf "\x00\x01\x00\x14\x00$mac0\x14\x00$mac1" >"$dir/mac_after_a_duplicate"
    printf '\x02\x05\x01\x0c\x00\x0c\x00\xff\x0b\x01\x00\x00\x00\x07\x00\x00\x00' >"$dir/refusal"
    printf '\x07\x00\x00\x02\x00\x10\x00\x0e\x00\xe3\x67\x00\x00\x00\x00\x04\x00\x00\x00/a/b' >"$dir/split_path"
    printf '\x05\x00\x00\x0c\x00\x0c\x00\xff\x0b\x00\x00\x00\x00\x00\x00\x00\x00' >"$dir/disconnect_boot"
    { printf '\x0b\x00\x00\xa0\x00\xa0\x00\x01\x08\x04\x00\xf0\x05'
      head -c 10 /dev/zero; printf '\x27\x04'; head -c 4 /dev/zero
      printf 'FW_Q23.01'; head -c 123 /dev/zero; printf '\x00\x00\x08\x00'; } >"$dir/startup"
    ;;
  fuzz_settings)
    printf '[Tx]\nnumber=5\n[phy_control]\r\n  power_dbm = 12.5 \r\nchannel=70000\n' >"$dir/keys"
    printf '[memory] x\n#mem_addr=1\nmem_addr=0x89000000\n[Tx]\n[Tx]\nrate=3' >"$dir/sections"
    printf '[Tx]\n%0120dnumber=7\nnumber|x=\n' 0 >"$dir/long_line"
    ;;
  fuzz_options)
    # table (0 tx, 1 tone, 2 rate, 3 set_mac, 4 memory, 5 help), words
    printf '\x00-c\x000\x00-n\x0010\x00-l\x001500\x00--bogus' >"$dir/tx"
    printf '\x01-m\x002\x00-a\x00-1.5\x00-f\x0040000000' >"$dir/tone"
    printf '\x02-m\x003\x00-r\x0065\x00-b\x0040' >"$dir/rate"
    printf '\x03-s\x0000:11:22:33:44:55\x00-x' >"$dir/mac"
    printf '\x04-a\x000x89000000\x00-l\x004096\x00-t\x003' >"$dir/memory"
    printf '\x05-tr\x00-a' >"$dir/help"
    ;;
  esac
}

# The sources a target's fuzz-sources line names, patterns expanded and the
# files marked with ! left out.
target_sources() {  # source file of the target
  local words word file skip
  local -a take=() leave=()
  read -r -a words <<<"$(sed -n 's|^// fuzz-sources:||p' "$1" | tr '\n' ' ')"
  for word in "${words[@]}"; do
    if [[ $word == !* ]]; then
      leave+=("${word#!}")
    else
      for file in $word; do take+=("$file"); done
    fi
  done
  for file in "${take[@]}"; do
    skip=0
    for word in "${leave[@]}"; do [ "$file" = "$word" ] && skip=1; done
    [ $skip -eq 0 ] && echo "$file"
  done
}

# The newest header of the project, or this script: an object older than
# either is compiled again.
newest_dependency() {
  find common api transport cli hf tests/fuzz -name '*.h' -newer "$1" -print -quit 2>/dev/null
  [ "$0" -nt "$1" ] && echo "$0"
}

jobs_max=${FUZZ_JOBS:-4}

out=build/fuzz
mkdir -p "$out"
flags=(-std=c++20 -g -O1 -I. -Wall -Wextra
  "-fsanitize=fuzzer,address,undefined" -fno-sanitize-recover=all -fno-omit-frame-pointer)
status=0

for t in "${targets[@]}"; do
  src=tests/fuzz/$t.cpp
  dir=$out/$t
  if [ ! -f "$src" ]; then
    echo "$t: no such target ($src)"
    status=1
    continue
  fi
  mkdir -p "$dir/corpus"
  rm -rf "$dir/seeds"
  mkdir -p "$dir/seeds"
  write_seeds "$t" "$dir/seeds"
  mapfile -t extra < <(target_sources "$src")
  mkdir -p "$dir/obj"
  objects=()
  failed=0
  for file in "$src" "${extra[@]}"; do
    obj=$dir/obj/$(tr '/' '_' <<<"$file").o
    objects+=("$obj")
    if [ -f "$obj" ] && [ ! "$file" -nt "$obj" ] && [ -z "$(newest_dependency "$obj")" ]; then
      continue
    fi
    while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n; done
    { clang++ "${flags[@]}" -c "$file" -o "$obj" >"$obj.log" 2>&1 || rm -f "$obj"; } &
  done
  wait
  for obj in "${objects[@]}"; do
    if [ ! -f "$obj" ]; then
      cat "$obj.log"
      failed=1
    fi
  done
  if [ $failed -ne 0 ] || ! clang++ "${flags[@]}" "${objects[@]}" -o "$dir/$t" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log" 2>/dev/null
    echo "$t: build failed"
    status=1
    continue
  fi
  log=$dir/run.log
  if "$dir/$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$dir/" "$dir/corpus" "$dir/seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "$t: ${runs:-?} runs in ${seconds}s, no failure"
  else
    tail -n 60 "$log"
    echo "$t: FAILED (input and log in $dir/)"
    status=1
  fi
done

exit $status
