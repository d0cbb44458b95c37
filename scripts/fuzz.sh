#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a bounded time each, as many at
# once as there are processors.
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
# Targets run side by side, one per processor: each still has its full time.
jobs=${KELVOR_FUZZ_JOBS:-$(nproc)}
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
shopt -s nullglob
targets=()
for target in "$build"/tests/fuzz/fuzz_*; do
  case "$target" in *_replay) continue ;; esac
  [ -x "$target" ] && targets+=("$target")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build (they need clang)"
  exit 0
fi

# fuzz_one <target>: runs it; its output goes to <artifacts>/<reader>.log.
fuzz_one() {
  local target=$1 name reader scratch status=0
  name=$(basename "$target")
  reader=${name#fuzz_}
  scratch=$(mktemp -d)
  local dict=()
  [ -f "$target.dict" ] && dict=(-dict="$target.dict")
  "$target" ${dict[@]+"${dict[@]}"} -max_total_time="$seconds" -entropic=0 -max_len=65536 -timeout=2 -rss_limit_mb=512 -print_final_stats=0 \
    -artifact_prefix="$artifacts/$reader-" "$scratch" "tests/fuzz/corpus/$reader" >"$artifacts/$reader.log" 2>&1 || status=$?
  rm -rf "$scratch"
  return "$status"
}

# The running targets' process ids and readers.
declare -A running=()
failed=""
finish_one() {
  local pid status=0
  wait -n -p pid "${!running[@]}" || status=$?
  if [ "$status" -ne 0 ] && [ -z "$failed" ]; then
    failed=${running[$pid]}
  fi
  unset "running[$pid]"
}
for target in "${targets[@]}"; do
  [ -z "$failed" ] || break
  while [ ${#running[@]} -ge "$jobs" ]; do finish_one; done
  [ -z "$failed" ] || break
  reader=$(basename "$target")
  reader=${reader#fuzz_}
  echo "fuzzing $reader for ${seconds}s"
  fuzz_one "$target" &
  running[$!]=$reader
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done
if [ -n "$failed" ]; then
  tail -n 40 "$artifacts/$failed.log"
  echo "fuzz target $failed failed; its input is in $artifacts/"
  exit 1
fi
