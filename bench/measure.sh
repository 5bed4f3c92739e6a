#!/usr/bin/env bash
# Runs the real quimbo binary at its 2-second sampling for a while and reports
# the CPU time it used and its peak resident memory.
#   bench/measure.sh [SECONDS] [FRONTEND...]
# FRONTEND: terminal-closed, terminal-open, desktop-closed, desktop-open
# (default: all four); SECONDS defaults to 300. Uses the shipped simulated
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
ticks=$(getconf CLK_TCK)

report() {  # report MODE PID: CPU time and peak memory of a running process
  local mode=$1 pid=$2
  read -r -a stat < "/proc/$pid/stat"
  local cpu=$((stat[13] + stat[14]))  # utime + stime, in clock ticks
  local hwm
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
  awk -v m="$mode" -v c="$cpu" -v t="$ticks" -v s="$seconds" -v h="$hwm" 'BEGIN {
    printf "%-16s %4d s  CPU %.2f s (%.4f%% of one core)  peak RSS %.1f MB\n",
           m, s, c / t, 100 * c / t / s, h / 1024 }'
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
    *) echo "unknown front end: $mode" >&2; exit 2 ;;
  esac
done
