#!/usr/bin/env bash
# Drives the real quimbo binary in a terminal (tmux) as a user would: the
# label with the first readings, the panel, live updates after the machine
# file changes, Quit, SIGTERM, and the terminal given back each time.
#   tests/e2e/terminal.sh path/to/quimbo path/to/machine-file
set -euo pipefail
here=$(dirname "$0")
. "$here/hwmon-fixture.sh"
. "$here/tmux-session.sh"
quimbo=$(realpath "$1")
machine=$(realpath "$2")
work=$(mktemp -d)
trap 'session_end; rm -rf "$work"' EXIT

# run ENV...: quimbo in a fresh terminal, with the given environment.
run() { start "LANG=C.UTF-8 $* '$quimbo'"; }
writes() {  # writes PID FD: whether the process holds FD open for writing
  (( ($(awk '/^flags:/ {print "8#" $2}' "/proc/$1/fdinfo/$2") & 3) != 0 ))
}
# The running quimbo holds no socket and nothing open for writing but the
# terminal it was given, the screen's buffer in memory, and a pipe to itself
# where signals come through one.
reads_only() {
  local pid fd target
  pid=$(own_pid) || fail "quimbo is not running"
  for fd in /proc/"$pid"/fd/*; do
    target=$(readlink "$fd") || continue
    case "$target" in
      socket:*) fail "quimbo holds a socket: $target" ;;
      /dev/pts/* | /dev/tty* | anon_inode:* | "/memfd:quimbo-screen (deleted)") ;;
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
# The terminal back in its normal modes, and the panel gone from it.
given_back() {
  restored || fail "terminal modes not restored: $(cat "$work/stty")"
  wait_gone "Quimbo"
}

cp "$machine" "$work/machine"

echo "== the label shows the first pass's readings"
run "QUIMBO_SMC_SIM='$work/machine'"
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

echo "== without an SMC: the thermometer alone, and the notice in the panel"
mkdir -p "$work/no-sensors"
run "QUIMBO_HWMON_ROOT='$work/no-sensors'"
wait_for "♁"
tmux -L "$socket" send-keys -t e2e Space
wait_for "SMC'ye erişilemedi" "Çıkış"
screen | grep -qF "°C" && fail "a temperature without an SMC"

echo "== SIGTERM ends quimbo and gives the terminal back"
kill -TERM "$(own_pid)"
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
given_back

echo "== real sensors through hwmon, 112 fans of which the first 110 have keys of their own"
hwmon_fixture "$work/hwmon"
mkdir "$work/hwmon/hwmon2"
echo w83795g > "$work/hwmon/hwmon2/name"  # after thinkpad: its fans come second
for n in $(seq 111); do echo $((1000 + n)) > "$work/hwmon/hwmon2/fan${n}_input"; done
run "QUIMBO_HWMON_ROOT='$work/hwmon'"
wait_for "61° · 1500"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "61°C" "Fan 1" "1500 RPM" "0–0 RPM"
reads_only
tmux -L "$socket" send-keys -t e2e -l $'\eOF'  # End, as xterm sends it
wait_for "Fan 110" "1109 RPM"
shows "Fan 111" && fail "a fan without a key of its own"
tmux -L "$socket" send-keys -t e2e Tab Enter
wait_status

echo "== a machine file that does not parse is refused before the start"
for bad in 'FNum "ui8" 02|the type "ui8"' 'F0Acc "flt " = 1|the key F0Acc' \
  'XYZF0Ac "flt " = 1|the key XYZF0Ac'; do
  printf 'FNum "ui8 " 01\n%s\n' "${bad%|*}" > "$work/bad"
  if out=$(QUIMBO_SMC_SIM="$work/bad" "$quimbo" 2>&1 < /dev/null); then fail "accepted: ${bad%|*}"; fi
  [ "$out" = "quimbo: $work/bad:2: ${bad#*|} is not exactly four characters" ] || fail "message: $out"
done

echo "== TERM=dumb or unknown: refused, saying which"
for term in "dumb cannot place the cursor" "vt999 is not a known terminal type"; do
  start "TERM=${term%% *} QUIMBO_SMC_SIM='$work/machine' '$quimbo'"
  wait_status
  [ "$(cat "$work/status")" = 1 ] && shows "quimbo: the terminal cannot be used: TERM=$term" ||
    fail "TERM=${term%% *}: exit status $(cat "$work/status")"
done

echo "== arguments"
"$quimbo" --version | grep -q "^quimbo " || fail "--version"
set +e
"$quimbo" --bogus 2>/dev/null
[ $? = 2 ] || fail "an unknown argument must exit 2"
set -e

echo "all end-to-end checks passed"
