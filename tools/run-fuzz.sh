#!/usr/bin/env bash
# Builds every libFuzzer target tests/fuzz/fuzz_*.cpp with clang and runs
# each for a while; exits nonzero when a target crashes or fails to build.
#   run-fuzz.sh [seconds] [target...]    seconds per target, default 5;
#                                        targets by name (fuzz_text), default all
# A target names the project sources it links in a comment line
#   // fuzz-sources: api/util.cpp api/rqm_ui.cpp ...
# Targets and findings live in build/fuzz/<target>/: corpus/ grows from run
# to run, crash-* and the like are the inputs that failed.
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
  esac
}

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
  read -r -a extra <<<"$(sed -n 's|^// fuzz-sources:||p' "$src" | head -n 1)"
  if ! clang++ "${flags[@]}" "$src" "${extra[@]}" -o "$dir/$t" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
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
