#!/usr/bin/env bash
# Runs every test suite of every tree and ends with one summary line.
#   host   all host tests
#   asan   all host tests under ASan+UBSan
#   tsan   the threaded tests under TSan
#   armel, armhf   the pure unit tests under qemu-arm-static
#   host (ARM programs)   the whole runs of the host tree again, with the
#                  simulation programs of the armel and armhf trees under
#                  qemu-arm-static against the host's stand-in
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
passed=0
failed=0
status=0

run() {  # [name=NAME] tree, ctest arguments...
  local name=
  if [[ $1 == name=* ]]; then
    name=${1#name=}
    shift
  fi
  local tree=$1
  shift
  local log
  log=$(mktemp)
  echo "== ${name:-$tree}"
  ctest --test-dir "build/$tree" -j"$jobs" --output-on-failure --timeout 120 "$@" >"$log" 2>&1
  local rc=$?
  grep -E '\*\*\*(Failed|Timeout|Exception)|Not Run|tests passed|Total Test time|The following tests|^[[:space:]]+[0-9]+ - ' "$log" | tail -n 40
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    cat "$log"
    echo "$tree: no test summary"
    status=1
  else
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  [ $rc -eq 0 ] || status=1
  rm -f "$log"
}

run host
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run tsan -L threaded
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run asan
run armel -L pure
run armhf -L pure

# The same rows once more on the two ARM ABIs: 32-bit long and size_t,
# soft-float and hard-float arithmetic, 32-bit number conversions and
# structure layouts meet the stand-in only here. A row whose ARM output
# differs from what it expects fails by its own name.
arm_rqmcli=$PWD/build/armel/cli/rqmcli-sim
arm_rqmcli_hf=$PWD/build/armhf/hf/rqmcli-hf-sim
qemu=$(command -v qemu-arm-static)
if [ -x "$arm_rqmcli" ] && [ -x "$arm_rqmcli_hf" ] && [ -n "$qemu" ]; then
  arm_start=$(date +%s)
  RQMTEST_EMULATOR=$qemu RQMTEST_RQMCLI_SIM=$arm_rqmcli RQMTEST_RQMCLI_HF_SIM=$arm_rqmcli_hf \
    run name="host with the ARM programs (armel rqmcli-sim, armhf rqmcli-hf-sim)" host -L whole-run
  echo "ARM whole runs: $(($(date +%s) - arm_start)) s"
else
  echo "== host with the ARM programs: $arm_rqmcli, $arm_rqmcli_hf and qemu-arm-static are needed"
  failed=$((failed + 1))
  status=1
fi

# Each fuzz target runs a few seconds here; longer by hand with
# tools/run-fuzz.sh SECONDS.
echo "== fuzz"
fuzzlog=$(mktemp)
tools/run-fuzz.sh 5 >"$fuzzlog" 2>&1
fuzzrc=$?
cat "$fuzzlog"
ok=$(grep -c 'no failure$' "$fuzzlog")
targets=$(ls tests/fuzz/fuzz_*.cpp | wc -l)
passed=$((passed + ok))
failed=$((failed + targets - ok))
[ $fuzzrc -eq 0 ] || status=1
rm -f "$fuzzlog"

echo "tests: $passed passed, $failed failed"
exit $status
