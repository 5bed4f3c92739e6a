#!/usr/bin/env bash
# What one 2-second sampling pass costs each program, beside the floor: a
# bare loop that wakes every 2 seconds and looks at the machine file twice
# (bench/PassFloor.c). All run side by side over the shipped simulated laptop
# for the same SECONDS; each one's CPU time (all its threads, from
# /proc/PID/task/*/schedstat) and wake-ups (voluntary context switches) are
# divided by the passes in that time, SECONDS / 2:
#   floor            quimbo_pass_floor
#   terminal         quimbo in tmux, 80x24, the panel closed
#   desktop, strip   quimbo on an Xvfb of its own and no tray: the strip
#   desktop, tray    quimbo on an Xvfb with LXQt's panel, whose tray it
#                    reaches on a D-Bus session bus of their own
#   exporter         quimbo-exporter --interval 2: a pass and a textfile
#                    written every 2 seconds, as often as the others pass
# The X servers' CPU is printed too: what the desktops have them draw.
# COPIES of each run at once (default 3), and each row is their median, with
# the lowest and highest beside it: on a machine shared with others, two
# copies of one program can differ by a fifth.
#
#   bench/pass-cost.sh [SECONDS]     (default 60)
# BUILD names the build to measure (default build/default), which is built
# first; BEFORE=PREFIX runs an installation of another version beside it,
# in the same run, its rows marked "before".
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
copies=${COPIES:-3}
build=${BUILD:-build/default}
machine=$PWD/machines/apple-silicon-laptop.machine
settle=5 # seconds after the start left out: the start is not a pass

[ -f "$build/CMakeCache.txt" ] || { echo "configure first: cmake --preset default" >&2; exit 1; }
# quimbo brings its desktop module along, where Qt is there.
cmake --build "$build" -j 2 --target quimbo quimbo-exporter quimbo_pass_floor > /dev/null
# A private installation: nothing else finds or stops these programs, and a
# rebuild while they run changes nothing.
work=$(mktemp -d)
pids=() sockets=() buses=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  for socket in "${sockets[@]}"; do tmux -L "$socket" kill-server 2> /dev/null || true; done
  wait 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$work/now" > /dev/null

names=() watched=()
watch() { names+=("$1") watched+=("$2"); }

# usage PID: the nanoseconds on a CPU of all its threads, and its voluntary
# context switches (its wake-ups).
usage() {
  awk '{n += $1} END {printf "%d ", n}' /proc/"$1"/task/*/schedstat
  awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}' /proc/"$1"/task/*/status
}

# An Xvfb on a display no X server holds, once it is up: its `display`
# and the `server`'s process.
xvfb() {
  local n=$((200 + RANDOM % 500))
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset > /dev/null 2>&1 &
  server=$!
  pids+=($!)
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  display=":$n"
}

# A session `bus` with LXQt's panel on `display`, once its tray is up.
tray() {
  local dir
  dir=$(mktemp -d -p "$work")
  dbus-daemon --session --nofork --nopidfile --print-address=3 3> "$dir/bus" 2> /dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$dir/bus" ] && break; sleep 0.1; done
  bus=$(head -1 "$dir/bus")
  mkdir -p "$dir/lxqt"
  printf '[General]\npanels=top\n[top]\nplugins=notifier\nposition=Top\npanelSize=28\n[notifier]\ntype=statusnotifier\n' \
    > "$dir/lxqt/panel.conf"
  DISPLAY=$display DBUS_SESSION_BUS_ADDRESS=$bus XDG_CONFIG_HOME=$dir XDG_RUNTIME_DIR=$dir \
    lxqt-panel > "$dir/lxqt.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    DBUS_SESSION_BUS_ADDRESS=$bus gdbus call --session --dest org.kde.StatusNotifierWatcher \
      --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
      org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered 2> /dev/null | grep -q true && break
    sleep 0.1
  done
  buses+=("$bus")
}

# start PREFIX MARK: the programs of the installation in PREFIX, their rows
# marked with MARK.
start() {
  local prefix=$1 mark=$2 socket
  socket="quimbo-pass-cost-$$-${#sockets[@]}"
  sockets+=("$socket")
  tmux -L "$socket" new-session -d -x 80 -y 24 \
    "exec env LANG=C.UTF-8 TERM=xterm-256color QUIMBO_FRONTEND=terminal QUIMBO_SMC_SIM='$machine' '$prefix/bin/quimbo'"
  watch "terminal$mark" "$(tmux -L "$socket" list-panes -F '#{pane_pid}')"

  if [ -e "$prefix/lib/quimbo/quimbo-desktop.so" ]; then
    xvfb
    env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY DISPLAY="$display" QUIMBO_FRONTEND=desktop \
      QUIMBO_SMC_SIM="$machine" XDG_RUNTIME_DIR="$work" "$prefix/bin/quimbo" > /dev/null 2>&1 &
    pids+=($!)
    watch "desktop, strip$mark" $!
    watch "X server, strip$mark" "$server"
    if command -v lxqt-panel > /dev/null; then
      xvfb
      tray
      env -u WAYLAND_DISPLAY DISPLAY="$display" DBUS_SESSION_BUS_ADDRESS="$bus" QUIMBO_FRONTEND=desktop \
        QUIMBO_SMC_SIM="$machine" XDG_RUNTIME_DIR="$work" "$prefix/bin/quimbo" > /dev/null 2>&1 &
      pids+=($!)
      watch "desktop, tray$mark" $!
      watch "X server, tray$mark" "$server"
    fi
  fi

  mkdir -p "$work/textfiles$mark"
  QUIMBO_SMC_SIM="$machine" "$prefix/bin/quimbo-exporter" --textfile-directory "$work/textfiles$mark" \
    --interval 2 &
  pids+=($!)
  watch "exporter$mark" $!
}

for _ in $(seq "$copies"); do
  "$build/bench/quimbo_pass_floor" "$machine" &
  pids+=($!)
  watch floor $!
  start "$work/now" ""
  [ -n "${BEFORE:-}" ] && start "$BEFORE" " (before)"
done

sleep "$settle"
for bus in "${buses[@]}"; do
  DBUS_SESSION_BUS_ADDRESS=$bus gdbus call --session --dest org.kde.StatusNotifierWatcher \
    --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems | grep -q / ||
    echo "warning: an item is missing from its tray" >&2
done
declare -a before after
for i in "${!watched[@]}"; do before[i]=$(usage "${watched[i]}"); done
started=$(date +%s.%N)
sleep "$seconds"
ended=$(date +%s.%N)
for i in "${!watched[@]}"; do after[i]=$(usage "${watched[i]}"); done

passes=$(awk -v a="$started" -v b="$ended" 'BEGIN {printf "%.1f", (b - a) / 2}')
printf '%s s side by side, %s of each: %s passes of 2 s. Per pass, the median (lowest-highest):\n' \
  "$seconds" "$copies" "$passes"
for i in "${!watched[@]}"; do
  printf '%s\t%s\t%s\n' "${names[i]}" "${before[i]}" "${after[i]}"
done | awk -F '\t' -v p="$passes" '
  function median(list, n,   sorted, i, j, t) {
    for (i = 1; i <= n; i++) sorted[i] = list[i]
    for (i = 2; i <= n; i++) for (j = i; j > 1 && sorted[j - 1] > sorted[j]; j--) {
      t = sorted[j]; sorted[j] = sorted[j - 1]; sorted[j - 1] = t
    }
    low = sorted[1]; high = sorted[n]
    return n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
  }
  {
    split($2, x, " "); split($3, y, " ")
    if (!($1 in count)) order[++rows] = $1
    n = ++count[$1]
    cpu[$1, n] = (y[1] - x[1]) / 1000 / p
    wakes[$1, n] = (y[2] - x[2]) / p
  }
  END {
    printf "%-26s %8s %11s %8s %9s\n", "", "CPU µs", "", "× floor", "wake-ups"
    for (r = 1; r <= rows; r++) {
      name = order[r]
      for (i = 1; i <= count[name]; i++) { c[i] = cpu[name, i]; w[i] = wakes[name, i] }
      m = median(c, count[name]); range = sprintf("(%.0f-%.0f)", low, high)
      if (r == 1) floor = m
      printf "%-26s %8.0f %11s %8.1f %9.2f\n", name, m, range, m / floor, median(w, count[name])
    }
  }'
