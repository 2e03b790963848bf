#!/usr/bin/env bash
# Makes sure the build and test tools are on this machine. As root on a
# Debian machine the missing packages are installed; otherwise the script
# names them and fails.
#   ensure-deps.sh host   what the native tree needs (demo)
#   ensure-deps.sh all    plus the ARM cross compilers and qemu (test)
set -euo pipefail
scope=${1:-all}

missing=()
need_cmd() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need_file() { [ -e "$1" ] || missing+=("$2"); }

need_cmd cmake cmake
need_cmd make make
need_cmd g++ g++
need_file /usr/src/googletest/CMakeLists.txt googletest
# The install test builds the example with pkg-config's flags too.
need_cmd pkg-config pkgconf
if [ "$scope" = all ]; then
  need_cmd arm-linux-gnueabi-g++ g++-arm-linux-gnueabi
  need_cmd arm-linux-gnueabihf-g++ g++-arm-linux-gnueabihf
  need_cmd qemu-arm-static qemu-user-static
  # The fuzz targets are built with clang's libFuzzer.
  need_cmd clang++ clang
  need_file /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev
fi

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  exit 0
fi

echo "Missing packages: ${missing[*]}" >&2
echo "Install them with: sudo apt-get install ${missing[*]}" >&2
exit 1
