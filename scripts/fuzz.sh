#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a bounded time each.
#   scripts/fuzz.sh <build dir> <seconds per target>
# New inputs go to a temporary corpus; the seeds in tests/fuzz/corpus/ are only
# read. A crash, leak or timeout fails the run and leaves its input in
# <build dir>/fuzz-artifacts/: inputs are at most 64 KiB, and one that takes
# more than 2 s or 512 MB is a failure. A target with a dictionary next to it
# (fuzz_<reader>.dict) is given it. The entropic schedule is off: its
# bookkeeping walks every feature an input touches, and a reader that lays
# out, paints and writes a document touches tens of thousands, so that it
# ran the document targets at a tenth of their pace.
set -euo pipefail
cd "$(dirname "$0")/.."
# Freed blocks wait in the address sanitizer's quarantine (256 MB by default)
# before they are reused, so a run of many inputs with large pictures grows
# towards the memory limit although each input stays far below it; a smaller
# quarantine keeps -rss_limit_mb a limit on what one input costs.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=64"
build=$1
seconds=$2
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
shopt -s nullglob
targets=("$build"/tests/fuzz/fuzz_*)
found=0
for target in "${targets[@]}"; do
  case "$target" in *_replay) continue ;; esac
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target")
  reader=${name#fuzz_}
  scratch=$(mktemp -d)
  dict=()
  [ -f "$target.dict" ] && dict=(-dict="$target.dict")
  echo "fuzzing $reader for ${seconds}s"
  if ! "$target" ${dict[@]+"${dict[@]}"} -max_total_time="$seconds" -entropic=0 -max_len=65536 -timeout=2 -rss_limit_mb=512 -print_final_stats=0 \
       -artifact_prefix="$artifacts/$reader-" "$scratch" "tests/fuzz/corpus/$reader" >"$artifacts/$reader.log" 2>&1; then
    tail -n 40 "$artifacts/$reader.log"
    rm -rf "$scratch"
    echo "fuzz target $reader failed; its input is in $artifacts/"
    exit 1
  fi
  rm -rf "$scratch"
done
[ "$found" = 1 ] || echo "no fuzz targets in $build (they need clang)"
