#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/.
# Run one with: build-fuzz/tests/fuzz/fuzz_<reader> tests/fuzz/corpus/<reader>
set -euo pipefail
cd "$(dirname "$0")/../.."
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKELVOR_FUZZ=ON -DKELVOR_SANITIZE=ON -DKELVOR_BENCH=OFF
cmake --build build-fuzz
