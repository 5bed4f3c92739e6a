#!/usr/bin/env bash
# Drives the real quimbo binary in a terminal (tmux) as a user would: the
# label with the first readings, the panel, live updates after the machine
# file changes, Quit, SIGTERM, and the terminal given back each time.
#   tests/e2e/terminal.sh path/to/quimbo path/to/machine-file
set -euo pipefail
. "$(dirname "$0")/hwmon-fixture.sh"
quimbo=$(realpath "$1")
machine=$(realpath "$2")
work=$(mktemp -d)
socket="quimbo-e2e-$$-0"
runs=0
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; echo "--- screen:"; screen; exit 1; }
screen() { tmux -L "$socket" capture-pane -p -t e2e 2>/dev/null || true; }
# Waits (a few seconds at most) until the screen shows every given text.
wait_for() {
  for _ in $(seq 100); do
    local all=1
    for text in "$@"; do screen | grep -qF -- "$text" || all=0; done
    ((all)) && return 0
    sleep 0.1
  done
  fail "never showed: $*"
}
wait_gone() {
  for _ in $(seq 100); do screen | grep -qF -- "$1" || return 0; sleep 0.1; done
  fail "still shows: $1"
}
wait_status() {
  for _ in $(seq 100); do [ -s "$work/status" ] && return 0; sleep 0.1; done
  fail "quimbo did not end"
}
start() {  # start ENV...: quimbo in an 80x24 terminal; afterwards the shell records the
           # exit status and whether the terminal is back in its normal modes
  rm -f "$work/status" "$work/stty"
  tmux -L "$socket" kill-server 2>/dev/null || true
  socket="quimbo-e2e-$$-$((++runs))"  # a fresh server each time: a dying one may linger
  tmux -L "$socket" new-session -d -s e2e -x 80 -y 24 \
    "env LANG=C.UTF-8 TERM=xterm-256color QUIMBO_FRONTEND=terminal $* '$quimbo'; echo \$? > '$work/status'; stty -a > '$work/stty'; sleep 60"
}
# The pid of this test's quimbo: the child of the pane's shell (other runs of
# this test may have their own quimbo running).
own_pid() {
  local pane
  pane=$(tmux -L "$socket" display-message -p -t e2e '#{pane_pid}') &&
    pgrep -n -P "$pane" -f "^$quimbo\$"
}
writes() {  # writes PID FD: whether the process holds FD open for writing
  (( ($(awk '/^flags:/ {print "8#" $2}' "/proc/$1/fdinfo/$2") & 3) != 0 ))
}
# The running quimbo holds no socket and nothing open for writing but the
# terminal it was given, and a pipe to itself where signals come through one.
reads_only() {
  local pid fd target
  pid=$(own_pid) || fail "quimbo is not running"
  for fd in /proc/"$pid"/fd/*; do
    target=$(readlink "$fd") || continue
    case "$target" in
      socket:*) fail "quimbo holds a socket: $target" ;;
      /dev/pts/* | /dev/tty* | anon_inode:*) ;;
      pipe:*) ! writes "$pid" "${fd##*/}" || reads_pipe "$pid" "$target" ||
        fail "quimbo holds $target open for writing" ;;
      *) ! writes "$pid" "${fd##*/}" || fail "quimbo holds $target open for writing" ;;
    esac
  done
}
reads_pipe() {  # reads_pipe PID PIPE: whether the process holds PIPE's read end
  local fd
  for fd in /proc/"$1"/fd/*; do
    [ "$(readlink "$fd")" = "$2" ] && ! writes "$1" "${fd##*/}" && return 0
  done
  return 1
}
restored() {
  for _ in $(seq 50); do [ -s "$work/stty" ] && break; sleep 0.1; done
  grep -qE '(^| )icanon( |$)' "$work/stty" && grep -qE '(^| )echo( |$)' "$work/stty" ||
    fail "terminal modes not restored: $(cat "$work/stty")"
  wait_gone "Quimbo"
}

cp "$machine" "$work/machine"

echo "== the label shows the first pass's readings"
start "QUIMBO_SMC_SIM='$work/machine'"
wait_for "57° · 2010"

echo "== Enter opens the panel with every text"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "Quimbo" "57°C" "CPU" "GPU" "SSD" "Ortam" "48°C" "38°C" "31°C" \
  "Fan 1" "1840 RPM" "1200–5779 RPM" "Fan 2" "2010 RPM" "1200–6241 RPM" \
  "Fan kontrolü Apple Silicon'da" "donanımsal olarak kilitli — Quimbo" "izleme yapar." \
  "her 2 sn güncellenir" "[ Çıkış ]"

echo "== a rewritten machine file shows in the label and the open panel"
sed -e 's/^F1Ac .*/F1Ac "flt " = 3333/' -e 's/^Tp09 .*/Tp09 "flt " = 66.6/' "$machine" > "$work/machine.new"
mv "$work/machine.new" "$work/machine"
wait_for "66° · 3333" "66°C" "3333 RPM"
reads_only

echo "== Escape closes the panel, Enter opens it again"
tmux -L "$socket" send-keys -t e2e Escape
wait_gone "Çıkış"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "Çıkış"

echo "== Çıkış ends quimbo with status 0 and gives the terminal back"
tmux -L "$socket" send-keys -t e2e Tab
tmux -L "$socket" send-keys -t e2e Enter
wait_status
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after Çıkış"
restored

echo "== without an SMC: the thermometer alone, and the notice in the panel"
mkdir -p "$work/no-sensors"
start "QUIMBO_HWMON_ROOT='$work/no-sensors'"
wait_for "⊺"
tmux -L "$socket" send-keys -t e2e Space
wait_for "SMC'ye erişilemedi" "Çıkış"
screen | grep -qF "°C" && fail "a temperature without an SMC"

echo "== SIGTERM ends quimbo and gives the terminal back"
kill -TERM "$(own_pid)"
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
restored

echo "== real sensors through hwmon"
hwmon_fixture "$work/hwmon"
start "QUIMBO_HWMON_ROOT='$work/hwmon'"
wait_for "61° · 1500"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "61°C" "Fan 1" "1500 RPM" "0–0 RPM"
reads_only
tmux -L "$socket" send-keys -t e2e Tab Enter
wait_status

echo "== a machine file that does not parse is refused before the start"
printf 'FNum "ui8" 02\n' > "$work/bad"
if out=$(QUIMBO_SMC_SIM="$work/bad" "$quimbo" 2>&1 < /dev/null); then fail "a bad machine file was accepted"; fi
[ "$out" = "quimbo: $work/bad:1: the type \"ui8\" is not exactly four characters" ] || fail "message: $out"

echo "== arguments"
"$quimbo" --version | grep -q "^quimbo " || fail "--version"
set +e
"$quimbo" --bogus 2>/dev/null
[ $? = 2 ] || fail "an unknown argument must exit 2"
set -e

echo "all end-to-end checks passed"
