#!/usr/bin/env bash
# side_by_side.sh: the CPU time Kelvor and glogg spend following one log
# file that a writer process grows, each on its own, as a user runs them.
#
# Each program runs alone in a window under Xvfb with openbox, on a file that
# is empty when it starts. Once it has opened the file, a writer appends
# 1,000,000 lines of 135 bytes (134 characters and a line feed) at a steady
# rate, in one write() every 10 ms, first at 200,000 and then at 20,000 lines
# a second. Kelvor follows the file with a purge line of 100,000 (set in its
# ini file); glogg follows it in its follow mode (key F). A program's CPU
# time is its user plus system time from /proc/<pid>/stat, from the writer's
# first line until the program is idle again (no CPU time for a second after
# the writer's last line), so that work left after the writer is counted.
# Prints each program's seconds and the ratio kelvor/glogg, headline lines last.
#
#   bench/side_by_side.sh [build-dir]        (default build/; Kelvor is built first)
#
# Installs glogg, Xvfb, openbox and xdotool when missing (apt-get, as root or
# through sudo). Takes about three minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
lines=1000000
rates="200000 20000"

missing=()
command -v glogg >/dev/null || missing+=(glogg)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v openbox >/dev/null || missing+=(openbox)
command -v xdotool >/dev/null || missing+=(xdotool)
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get install -y "${missing[@]}" >/dev/null
fi
if [ ! -x "$build/kelvor" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j4 --target kelvor >/dev/null
fi
kelvor=$(realpath "$build/kelvor")

work=$(mktemp -d /tmp/side_by_side.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of its own: the server picks one no other server holds and names
# it on the pipe once it accepts clients (-displayfd); -noreset keeps it from
# resetting, and turning a client away, whenever its last client leaves.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/displayfd" >/dev/null 2>&1 &
pids+=($!)
display=
read -r -t 30 display <"$work/displayfd" || true
if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=:$display
HOME=$work openbox >/dev/null 2>&1 &
pids+=($!)
# glogg keeps its settings under the home folder: a fresh one for every run.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

# The writer: Lines lines of 135 bytes at Rate lines a second, one write()
# per 10 ms, the next write due by the clock (a late one catches up).
cat >"$work/writer.py" <<'EOF'
import os, sys, time
path, lines, rate = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
filler = "request served cache miss for user session token refreshed upstream latency ok " * 2
def line(i):
    head = "2024-05-01 %02d:%02d:%02d.%03d INFO  [worker-%02d] id=%07d " % (
        i // 3600000 % 24, i // 60000 % 60, i // 1000 % 60, i % 1000, i % 16, i)
    return (head + filler)[:134] + "\n"
fd = os.open(path, os.O_WRONLY | os.O_APPEND)
per = max(1, rate // 100)
start = time.monotonic()
done = 0
while done < lines:
    n = min(per, lines - done)
    os.write(fd, "".join(line(i) for i in range(done, done + n)).encode())
    done += n
    delay = start + done / rate - time.monotonic()
    if delay > 0:
        time.sleep(delay)
os.close(fd)
EOF

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
ticks_per_second=$(getconf CLK_TCK)

# Runs one program on a fresh file at one rate; prints its CPU seconds.
measure() {
    local name=$1 rate=$2
    local log=$work/$name-$rate.log
    : >"$log"
    local pid
    if [ "$name" = kelvor ]; then
        cat >"$work/kelvor.ini" <<EOF
[Options]
Active=1
PurgeAtLine=100000
FontName=DejaVu Sans Mono
FontSize=9
Left=0
Top=0
Width=800
Height=600
[TailFiles]
File1=$log
EOF
        HOME=$work "$kelvor" "$work/kelvor.ini" >/dev/null 2>&1 &
        pid=$!
    else
        HOME=$work glogg "$log" >/dev/null 2>&1 &
        pid=$!
    fi
    pids+=("$pid")
    # Up when it holds the file open (and, for glogg, its window can take keys).
    for _ in $(seq 300); do
        ls -l "/proc/$pid/fd" 2>/dev/null | grep -q -- "$log" && break
        sleep 0.1
    done
    if [ "$name" = glogg ]; then
        local window=""
        for _ in $(seq 100); do
            window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) && [ -n "$window" ] && break
            sleep 0.1
        done
        [ -n "$window" ] && xdotool windowactivate --sync "$window" key F >/dev/null 2>&1 || true
    fi
    sleep 1 # start-up settles
    local before
    before=$(cpu_ticks "$pid")
    python3 "$work/writer.py" "$log" "$lines" "$rate"
    # Idle again: no CPU time for a second (at most a minute).
    local last now
    last=$(cpu_ticks "$pid")
    for _ in $(seq 60); do
        sleep 1
        now=$(cpu_ticks "$pid")
        [ "$now" = "$last" ] && break
        last=$now
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -f "$log"
    awk -v t="$((now - before))" -v hz="$ticks_per_second" 'BEGIN {printf "%.2f", t / hz}'
}

declare -A seconds
for rate in $rates; do
    for name in kelvor glogg; do
        seconds[$name-$rate]=$(measure "$name" "$rate")
        echo "$lines lines of 135 B at $rate lines/s: $name ${seconds[$name-$rate]} CPU s"
    done
done
for rate in $rates; do
    awk -v k="${seconds[kelvor-$rate]}" -v g="${seconds[glogg-$rate]}" -v r="$rate" \
        'BEGIN {printf "cpu ratio kelvor/glogg at %d lines/s: %.2f\n", r, (g > 0 ? k / g : 0)}'
done
