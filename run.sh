#!/usr/bin/env bash
# Installs what is missing, builds Kelvor into build/ and starts it.
# Arguments go to the program: ./run.sh [settings-file]
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
kelvor_install_missing
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kelvor
exec build/kelvor "$@"
