#!/usr/bin/env bash
# Drives the real quimbo binary on a bare X server (Xvfb) as
# a user would: the strip with the label at the top of the screen, a click
# that opens the panel below it, a click on Çıkış that ends quimbo with
# status 0; real sensors through hwmon; the panel of a machine without an
# SMC; SIGTERM; twelve fans on a low screen, scrolled; a display that
# cannot be reached. Trays are tried in hosts.py.
#   tests/e2e/desktop.sh path/to/quimbo path/to/machine-file
set -euo pipefail
. "$(dirname "$0")/hwmon-fixture.sh"
quimbo=$(realpath "$1")
machine=$(realpath "$2")
work=$(mktemp -d)
xvfb_pid=""
quimbo_pid=""
cleanup() {
  [ -n "$quimbo_pid" ] && kill "$quimbo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -f "$work/out" ] && cat "$work/out"
  [ -s "$work/xvfb.log" ] && { echo "-- Xvfb:"; cat "$work/xvfb.log"; }
  exit 1
}
export XDG_RUNTIME_DIR=$work
# Only this X server: no session bus, whose tray host would take the label.
unset DBUS_SESSION_BUS_ADDRESS
# xserver WIDTHxHEIGHT: a new X server of that size in place of the last.
# Xvfb picks a free display and writes its number once it takes clients.
# -noreset: by default the server resets when its last client leaves, and a
# client that connects during the reset is refused.
xserver() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset \
    3> "$work/display" > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$work/display")"
  xdotool getdisplaygeometry > /dev/null 2>&1 || fail "Xvfb does not answer on $DISPLAY"
}
xserver 1280x800

# window NAME: the id of the visible window with that title, waiting a while
window() {
  for _ in $(seq 100); do
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# geometry ID: "X Y W H"
geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}
# start VAR=VALUE...: runs quimbo in the background; once it ends, its exit
# status (or "signal N" when a signal killed it) is in $work/status
start() {
  rm -f "$work/status"
  perl -e '$to = shift; system @ARGV; open my $o, ">", $to or die;
           print $o ($? & 127 ? "signal " . ($? & 127) : $? >> 8), "\n"' \
    "$work/status" env "$@" QUIMBO_FRONTEND=desktop "$quimbo" > "$work/out" 2>&1 &
  quimbo_pid=$!
}
wait_status() {
  for _ in $(seq 100); do [ -s "$work/status" ] && return 0; sleep 0.1; done
  fail "quimbo did not end"
}

echo "== the strip shows the label at the top right of the screen"
start QUIMBO_SMC_SIM="$machine"
strip=$(window Quimbo) || fail "no strip window"
read -r sx sy sw sh < <(geometry "$strip")
[ "$sy" -eq 0 ] && [ $((sx + sw)) -eq 1280 ] || fail "the strip is at $sx,$sy ${sw}x$sh"
[ "$sw" -gt 60 ] || fail "the strip is too narrow for '57° · 2010': $sw"

echo "== a click opens the panel below it, 260 wide"
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
panel=$(window "Quimbo panel") || fail "no panel after a click"
read -r px py pw ph < <(geometry "$panel")
[ "$pw" -eq 260 ] || fail "the panel is $pw wide"
[ "$py" -eq $((sy + sh)) ] || fail "the panel is at y=$py, not below the strip"
[ "$ph" -gt 300 ] || fail "the panel is only $ph tall"

echo "== a click outside closes it"
xdotool mousemove 100 600 click 1
for _ in $(seq 50); do xdotool search --onlyvisible --name "^Quimbo panel\$" > /dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "^Quimbo panel\$" > /dev/null 2>&1 && fail "the panel stayed open"

echo "== Çıkış ends quimbo with status 0"
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
panel=$(window "Quimbo panel") || fail "no panel after the second click"
read -r px py pw ph < <(geometry "$panel")
# The button sits at the bottom right, inside the 12-point padding.
xdotool mousemove $((px + pw - 12 - 30)) $((py + ph - 12 - 12)) click 1
wait_status
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after Çıkış"

# shot ID: the window's pixels, once two dumps a moment apart agree
shot() {
  local before now
  before=$(xwd -silent -id "$1" | md5sum)
  for _ in $(seq 20); do
    sleep 0.1
    now=$(xwd -silent -id "$1" | md5sum)
    [ "$now" = "$before" ] && { echo "$now"; return 0; }
    before=$now
  done
  return 1
}

echo "== real sensors through hwmon: the strip reads what the same simulated SMC reads"
hwmon_fixture "$work/hwmon"
printf 'FNum "ui8 " 01\nF0Ac "flt " = 1500\nTp01 "flt " = 61.5\n' > "$work/same.machine"
start QUIMBO_SMC_SIM="$work/same.machine"
strip=$(window Quimbo) || fail "no strip window"
simulated=$(shot "$strip") || fail "the strip does not settle"
pkill -TERM -P "$quimbo_pid"
wait_status
start QUIMBO_HWMON_ROOT="$work/hwmon"
strip=$(window Quimbo) || fail "no strip window"
[ "$(shot "$strip")" = "$simulated" ] || fail "the strip over hwmon differs from '61° · 1500'"
pkill -TERM -P "$quimbo_pid"
wait_status

echo "== without an SMC: the thermometer alone"
mkdir -p "$work/no-sensors"
start QUIMBO_HWMON_ROOT="$work/no-sensors"
strip=$(window Quimbo) || fail "no strip window"
read -r sx sy sw sh < <(geometry "$strip")
[ "$sw" -lt 50 ] || fail "the strip is $sw wide: more than the thermometer"

echo "== SIGTERM ends quimbo through its event loop"
pkill -TERM -P "$quimbo_pid"  # perl's child: this run's quimbo
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"

echo "== twelve fans on a screen 600 high: the fan list scrolls between the header and Çıkış"
xserver 1280x600
{
  echo 'FNum "ui8 " 0c'
  echo 'Tp01 "flt " = 61.5'
  for i in $(seq 0 11); do
    printf 'F%dAc "flt " = %d\nF%dMn "flt " = 1000\nF%dMx "flt " = 5000\n' "$i" $((1500 + 100 * i)) "$i" "$i"
  done
} > "$work/twelve.machine"
start QUIMBO_SMC_SIM="$work/twelve.machine"
strip=$(window Quimbo) || fail "no strip window"
read -r sx sy sw sh < <(geometry "$strip")
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
panel=$(window "Quimbo panel") || fail "no panel after a click"
read -r px py pw ph < <(geometry "$panel")
[ "$py" -eq $((sy + sh)) ] || fail "the panel at y=$py covers the strip (its foot at $((sy + sh)))"
[ $((py + ph)) -le 600 ] && [ "$ph" -gt 400 ] || fail "the panel runs from $py to $((py + ph)) on a screen 600 high"
top=$(shot "$panel") || fail "the panel does not settle"
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
for _ in 1 2 3 4 5; do xdotool click 5; done
scrolled=$(shot "$panel") || fail "the panel does not settle after the wheel"
[ "$scrolled" != "$top" ] || fail "the wheel did not scroll the fan list"
xdotool mousemove $((px + pw - 12 - 30)) $((py + ph - 12 - 12)) click 1
wait_status
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after Çıkış at the panel's foot"

echo "== a display that cannot be reached is a clear error"
if out=$(DISPLAY=:9999 QUIMBO_FRONTEND=desktop QUIMBO_SMC_SIM="$machine" "$quimbo" 2>&1); then
  fail "started without a display"
fi
grep -q "^quimbo: the display cannot be reached" <<< "$out" || fail "message: $out"

echo "all desktop checks passed"
