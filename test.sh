#!/usr/bin/env bash
# Installs what is missing, builds and runs every test with CTest.
#   ./test.sh              the normal build, in build/
#   ./test.sh --sanitize   the AddressSanitizer + UndefinedBehaviorSanitizer build, in build-asan/
# Further arguments go to ctest (for example -R core_ to run some tests).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
kelvor_install_missing "${kelvor_test_packages[@]}"

dir=build
config=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
ctest_args=()
for arg in "$@"; do
  case "$arg" in
    --sanitize)
      dir=build-asan
      config=(-DCMAKE_BUILD_TYPE=Debug -DKELVOR_SANITIZE=ON -DKELVOR_BENCH=OFF) ;;
    *) ctest_args+=("$arg") ;;
  esac
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

cmake -S . -B "$dir" -G Ninja "${config[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
cd "$dir"
ctest --output-on-failure -j "$(nproc)" "${ctest_args[@]+"${ctest_args[@]}"}"
