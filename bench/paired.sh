#!/bin/bash
# Runs several monitors at the same time, each alone under its own private X
# server (Xvfb with openbox), and measures them over the same window: the
# exact run time (schedstat, nanoseconds) of every process in the program's
# session plus that of its X server, as a percentage of one core. Running
# them together cancels most of a shared machine's drift between rounds,
# which hides differences of a few per cent when they run one after another.
#
# Usage: bench/paired.sh SECONDS 'label::command' ['label::command' ...]
# Prints one line per round: label=percent(xPERCENT) ..., the second figure
# being the X server's own share of the first. Example, one round:
#   B=$PWD/build-release/tarvik
#   bench/paired.sh 60 "gkrellm::$PWD/../shared/bench/gkrellm.sh" \
#       "tarvik::$PWD/../shared/bench/tarvik.sh $B 0"
set -u -o pipefail
[ $# -ge 2 ] || { echo "usage: $0 SECONDS 'label::command' ..." >&2; exit 2; }
secs=$1
shift
for tool in Xvfb openbox setsid; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 2; }
done

labels=() xservers=() sessions=() managers=()
cleanup() {
    for s in "${sessions[@]}"; do kill -- "-$s" 2>/dev/null; done
    for p in "${managers[@]}" "${xservers[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT

n=0
for arg in "$@"; do
    label=${arg%%::*} cmd=${arg#*::}
    # A free display number for each program.
    d=200
    while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
    Xvfb ":$d" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xservers+=($!)
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$d" ] && break; sleep 0.1; done
    DISPLAY=":$d" openbox >/dev/null 2>&1 &
    managers+=($!)
    sleep 0.5
    DISPLAY=":$d" setsid bash -c "$cmd" >/dev/null 2>&1 &
    sessions+=($!)
    labels+=("$label")
    n=$((n + 1))
done
sleep 8 # warm-up

# Run time of every thread of every process of a session, or of one process.
session_ns() {
    local total=0 p f a
    for p in $(ps -o pid= -s "$1"); do
        for f in /proc/"$p"/task/*/schedstat; do
            read -r a _ <"$f" 2>/dev/null && total=$((total + a))
        done
    done
    echo "$total"
}
process_ns() {
    local total=0 f a
    for f in /proc/"$1"/task/*/schedstat; do
        read -r a _ <"$f" 2>/dev/null && total=$((total + a))
    done
    echo "$total"
}

start=() xstart=()
for ((i = 0; i < n; i++)); do
    xstart+=($(process_ns "${xservers[$i]}"))
    start+=($(($(session_ns "${sessions[$i]}") + xstart[i])))
done
t0=$(date +%s%N)
sleep "$secs"
t1=$(date +%s%N)
out=()
for ((i = 0; i < n; i++)); do
    xend=$(process_ns "${xservers[$i]}")
    end=$(($(session_ns "${sessions[$i]}") + xend))
    out+=("${labels[$i]}=$(awk -v ns=$((end - start[i])) -v x=$((xend - xstart[i])) -v w=$((t1 - t0)) \
        'BEGIN { printf "%.4f(x%.4f)", 100 * ns / w, 100 * x / w }')")
done
echo "${out[*]}"
