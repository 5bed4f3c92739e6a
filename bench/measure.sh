#!/usr/bin/env bash
# Runs the real quimbo binary at its 2-second sampling for a while and reports
# the CPU time it used, its peak resident memory and how often it woke up
# (its voluntary context switches).
#   bench/measure.sh [SECONDS] [MODE...]
# MODE: terminal-closed, terminal-open, desktop-closed, desktop-open (default:
# all four), or exporter: quimbo-exporter at its 15-second interval beside
# node_exporter (its default collectors and the exporter's textfile), scraped
# every 15 seconds. SECONDS defaults to 300. Uses the shipped simulated
# laptop, so that every pass reads. The desktop runs on its own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
modes=("$@")
((${#modes[@]})) || modes=(terminal-closed terminal-open desktop-closed desktop-open)
machine=$PWD/machines/apple-silicon-laptop.machine
[ -x build/default/bin/quimbo ] || { echo "build first: cmake --preset default && cmake --build --preset default" >&2; exit 1; }
# A private installation: nothing else finds or stops this quimbo, and a
# rebuild while it runs changes nothing.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix" > /dev/null
quimbo=$prefix/bin/quimbo

# usage PID: the seconds on a CPU of all its threads (to the nanosecond, finer
# than utime + stime) and its voluntary context switches: its wake-ups.
usage() {
  awk '{n += $1} END {printf "%.9f ", n / 1e9}' /proc/"$1"/task/*/schedstat
  awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}' /proc/"$1"/task/*/status
}
# report MODE PID [BASELINE]: what a running process used, since BASELINE
# (an earlier usage) if given.
report() {
  local mode=$1 pid=$2 baseline=${3:-0 0}
  local hwm
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
  awk -v m="$mode" -v s="$seconds" -v h="$hwm" -v now="$(usage "$pid")" -v then="$baseline" 'BEGIN {
    split(now, a); split(then, b); c = a[1] - b[1]; w = a[2] - b[2]
    printf "%-16s %4d s  CPU %.3f s (%.4f%% of one core, %.2f s an hour)  peak RSS %.1f MB  %d wake-ups\n",
           m, s, c, 100 * c / s, 3600 * c / s, h / 1024, w }'
}

run=0
for mode in "${modes[@]}"; do
  run=$((run + 1))
  case "$mode" in
    terminal-*)
      socket="quimbo-measure-$$-$mode"
      tmux -L "$socket" new-session -d -x 80 -y 24 \
        "env LANG=C.UTF-8 TERM=xterm-256color QUIMBO_FRONTEND=terminal QUIMBO_SMC_SIM='$machine' '$quimbo'"
      sleep 1
      pid=$(pgrep -n -f "^$quimbo\$")
      [ "$mode" = terminal-open ] && tmux -L "$socket" send-keys Enter
      sleep "$seconds"
      report "$mode" "$pid"
      tmux -L "$socket" kill-server
      ;;
    desktop-*)
      display=":$((300 + ($$ + run) % 300))"
      Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset > /dev/null 2>&1 &
      xvfb=$!
      sleep 1
      DISPLAY=$display QUIMBO_FRONTEND=desktop QUIMBO_SMC_SIM="$machine" XDG_RUNTIME_DIR=/tmp \
        "$quimbo" > /dev/null 2>&1 &
      pid=$!
      sleep 2
      if [ "$mode" = desktop-open ]; then
        strip=$(DISPLAY=$display xdotool search --onlyvisible --name '^Quimbo$' | head -1)
        eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$strip")"
        DISPLAY=$display xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
      fi
      sleep "$seconds"
      report "$mode" "$pid"
      kill "$pid" "$xvfb"
      wait "$xvfb" 2> /dev/null || true
      ;;
    exporter)
      textfiles=$prefix/textfiles
      mkdir "$textfiles"
      QUIMBO_SMC_SIM="$machine" "$prefix/bin/quimbo-exporter" --textfile-directory "$textfiles" &
      pid=$!
      port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
      prometheus-node-exporter --collector.textfile.directory="$textfiles" \
        --web.listen-address="127.0.0.1:$port" > /dev/null 2>&1 &
      node=$!
      sleep 1
      # After the start: what an hour of running costs.
      since=$(usage "$pid")
      node_since=$(usage "$node")
      # Scraped as often as the exporter writes, as a Prometheus server would.
      while sleep 15; do
        python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1]).read()' \
          "http://127.0.0.1:$port/metrics" 2> /dev/null || true
      done &
      scraper=$!
      sleep "$seconds"
      report quimbo-exporter "$pid" "$since"
      report node_exporter "$node" "$node_since"
      kill "$scraper" "$pid" "$node"
      ;;
    *) echo "unknown mode: $mode" >&2; exit 2 ;;
  esac
done
