#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a bounded time each, as many at
# once as there are processors.
#   scripts/fuzz.sh <build dir> <seconds per target>
# New inputs go to a temporary corpus; the seeds in tests/fuzz/corpus/ are only
# read. Inputs are at most 64 KiB, and one that takes more than 2 s or 512 MB
# is a failure. Every failure leaves its input in <build dir>/fuzz-artifacts/,
# and none stops another target: the others fuzz for their whole time, and
# every failure is reported once all have ended. A crash, a leak or any
# other sanitizer report fails the run. A timeout or running out of memory may
# come of a loaded machine (the targets run side by side, and beside whatever
# else runs): the target goes on fuzzing for the rest of its time, and once
# all have ended the input is run again alone; only one that fails again then
# fails the run, the others are reported. A target with a dictionary next to
# it (fuzz_<reader>.dict) is given it. The entropic schedule is off: its
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
# The limits of one input.
limits=(-timeout=2 -rss_limit_mb=512)
# How often a target that timed out or ran out of memory starts again.
max_stops=3
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

# failed_input <run log>: the input that libFuzzer's run reports as its
# failure (none when it wrote none), from its last "Test unit written to".
# A slow input is written as well without failing the run: it is skipped.
failed_input() {
  sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$1" | grep -v '/[^/]*slow-unit-[^/]*$' | tail -n 1 || true
}

# fuzz_one <target>: fuzzes it for its time; its output goes to
# <artifacts>/<reader>.log. A run ended by a timeout or by running out of
# memory notes its input in <artifacts>/<reader>.again and starts again for
# the time left (max_stops times at most). Any other failure ends the target
# with libFuzzer's status.
fuzz_one() {
  local target=$1 name reader scratch log run input status stops=0
  name=$(basename "$target")
  reader=${name#fuzz_}
  scratch=$(mktemp -d)
  log="$artifacts/$reader.log"
  run="$scratch.run"
  : >"$log"
  : >"$artifacts/$reader.again"
  local dict=()
  [ -f "$target.dict" ] && dict=(-dict="$target.dict")
  local end=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$end" ]; do
    status=0
    "$target" ${dict[@]+"${dict[@]}"} -max_total_time="$((end - SECONDS))" -entropic=0 -max_len=65536 \
      "${limits[@]}" -print_final_stats=0 -artifact_prefix="$artifacts/$reader-" "$scratch" \
      "tests/fuzz/corpus/$reader" >"$run" 2>&1 || status=$?
    cat "$run" >>"$log"
    [ "$status" -eq 0 ] && break
    input=$(failed_input "$run")
    case "${input##*/}" in
      "$reader"-timeout-* | "$reader"-oom-*)
        echo "$input" >>"$artifacts/$reader.again"
        stops=$((stops + 1))
        [ "$stops" -lt "$max_stops" ] || break
        ;;
      *)
        rm -rf "$scratch" "$run"
        return "$status"
        ;;
    esac
  done
  rm -rf "$scratch" "$run"
  return 0
}

# The running targets' process ids and readers, and the readers that failed.
declare -A running=()
failed=()
finish_one() {
  local pid status=0
  wait -n -p pid "${!running[@]}" || status=$?
  [ "$status" -eq 0 ] || failed+=("${running[$pid]}")
  unset "running[$pid]"
}
for target in "${targets[@]}"; do
  while [ ${#running[@]} -ge "$jobs" ]; do finish_one; done
  reader=$(basename "$target")
  reader=${reader#fuzz_}
  echo "fuzzing $reader for ${seconds}s"
  fuzz_one "$target" &
  running[$!]=$reader
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done

for reader in "${failed[@]+"${failed[@]}"}"; do
  tail -n 40 "$artifacts/$reader.log"
  echo "fuzz target $reader failed; its input is in $artifacts/"
done

# Every input that timed out or ran out of memory is run again, one at a time,
# with nothing else fuzzing.
for target in "${targets[@]}"; do
  reader=$(basename "$target")
  reader=${reader#fuzz_}
  again_failed=0
  while read -r input; do
    kind=${input##*/"$reader"-}
    kind=${kind%%-*}
    if "$target" "${limits[@]}" "$input" >"$input.alone.log" 2>&1; then
      echo "fuzz target $reader: the $kind on $input did not happen again alone (the machine was busy); not a failure"
    else
      tail -n 40 "$input.alone.log"
      echo "fuzz target $reader: the $kind on $input happened again alone"
      again_failed=1
    fi
  done < <(sort -u "$artifacts/$reader.again")
  [ "$again_failed" = 0 ] || failed+=("$reader")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed fuzz targets: ${failed[*]}"
  exit 1
fi
