#!/usr/bin/env bash
# Installs what is missing, builds and runs every test with CTest.
#   ./test.sh                  the normal build, in build/
#   ./test.sh --sanitize       the AddressSanitizer + UndefinedBehaviorSanitizer build, in
#                              build-asan/ (with clang when it is installed, so that the
#                              fuzz targets link against libFuzzer in the same build)
#   ./test.sh --sanitize --fuzz N
#                              also runs every fuzz target for N seconds (needs clang)
# Further arguments go to ctest (for example -R Tail to run some tests).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
kelvor_install_missing "${kelvor_test_packages[@]}"

dir=build
config=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
sanitize=0
fuzz_seconds=0
ctest_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize=1 ;;
    --fuzz) fuzz_seconds="$2"; shift ;;
    *) ctest_args+=("$1") ;;
  esac
  shift
done

if [ "$sanitize" = 1 ]; then
  dir=build-asan
  config=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g1 -O1" -DKELVOR_SANITIZE=ON -DKELVOR_BENCH=OFF)
  if command -v clang++ >/dev/null; then
    export CC=clang CXX=clang++
    config+=(-DKELVOR_FUZZ=ON)
  fi
  # A build folder keeps the compiler it was made with: start it again when the
  # compiler chosen now is another.
  wanted=$(command -v "${CXX:-c++}")
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=$wanted\$" "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

cmake -S . -B "$dir" -G Ninja "${config[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"

if [ "$fuzz_seconds" -gt 0 ]; then
  scripts/fuzz.sh "$dir" "$fuzz_seconds"
fi

cd "$dir"
ctest --output-on-failure -j "$(nproc)" "${ctest_args[@]+"${ctest_args[@]}"}"
