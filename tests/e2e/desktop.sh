#!/usr/bin/env bash
# Drives the real quimbo binary on a bare X server (Xvfb) as
# a user would: the strip with the label at the top of the screen, a click
# that opens the panel below it, a click on Çıkış that ends quimbo with
# status 0; real sensors through hwmon; the panel of a machine without an
# SMC; SIGTERM, also while the X server does not answer; twelve fans on a
# low screen, scrolled, at a scale of 1.5; the panel scrolled as a whole at a
# scale of 2 on a small screen; its border and dividers at each scale; a
# display that cannot be reached. Trays are tried in hosts.py.
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
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" && kill -CONT "$xvfb_pid"; } 2>/dev/null || true
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
# ended STATUS WHEN [TENTHS]: quimbo ends with STATUS within TENTHS tenths of a second (100)
ended() {
  for _ in $(seq "${3:-100}"); do [ -s "$work/status" ] && break; sleep 0.1; done
  [ "$(cat "$work/status" 2>/dev/null)" = "$1" ] || fail "exit status '$(cat "$work/status" 2>/dev/null)' $2"
}
# open_panel: a click on the strip opens the panel right below it
open_panel() {
  strip=$(window Quimbo) || fail "no strip window"
  read -r sx sy sw sh < <(geometry "$strip")
  xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
  panel=$(window "Quimbo panel") || fail "no panel after a click on the strip"
  read -r px py pw ph < <(geometry "$panel")
  [ "$py" -eq $((sy + sh)) ] || fail "the panel is at y=$py, not right below the strip"
}

# settle ID: the window's pixels in $work/shot.xwd, once two dumps a moment apart agree
settle() {
  xwd -silent -id "$1" > "$work/shot.xwd"
  for _ in $(seq 20); do
    sleep 0.1
    xwd -silent -id "$1" > "$work/next.xwd"
    cmp -s "$work/shot.xwd" "$work/next.xwd" && return 0
    mv "$work/next.xwd" "$work/shot.xwd"
  done
  return 1
}
shot() { settle "$1" && md5sum < "$work/shot.xwd"; }
# lines ID: the panel's border, dividers and bars, top to bottom (panel-lines.py)
lines() { settle "$1" && python3 "$(dirname "$0")/panel-lines.py" < "$work/shot.xwd"; }

echo "== the strip shows the label at the top right of the screen"
start QUIMBO_SMC_SIM="$machine"
strip=$(window Quimbo) || fail "no strip window"
read -r sx sy sw sh < <(geometry "$strip")
[ "$sy" -eq 0 ] && [ $((sx + sw)) -eq 1280 ] || fail "the strip is at $sx,$sy ${sw}x$sh"
[ "$sw" -gt 60 ] || fail "the strip is too narrow for '57° · 2010': $sw"

echo "== a click opens the panel below it, 260 wide"
open_panel
[ "$pw" -eq 260 ] && [ "$ph" -gt 300 ] || fail "the panel is ${pw}x$ph"
seen=$(lines "$panel")
[ "$seen" = "framed |==||" ] || fail "the panel shows '$seen', not its border, three dividers and two bars"

echo "== a click outside closes it"
xdotool mousemove 100 600 click 1
for _ in $(seq 50); do xdotool search --onlyvisible --name "^Quimbo panel\$" > /dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "^Quimbo panel\$" > /dev/null 2>&1 && fail "the panel stayed open"

echo "== Çıkış ends quimbo with status 0"
open_panel
# The button sits at the bottom right, inside the 12-point padding.
xdotool mousemove $((px + pw - 12 - 30)) $((py + ph - 12 - 12)) click 1
ended 0 "after Çıkış"

echo "== real sensors through hwmon: the strip reads what the same simulated SMC reads"
hwmon_fixture "$work/hwmon"
printf 'FNum "ui8 " 01\nF0Ac "flt " = 1500\nTp01 "flt " = 61.5\n' > "$work/same.machine"
start QUIMBO_SMC_SIM="$work/same.machine" QUIMBO_SMC_TRACE="$work/trace"
strip=$(window Quimbo) || fail "no strip window"
simulated=$(shot "$strip") || fail "the strip does not settle"

echo "== the X server stops answering, the reading changes: SIGTERM ends quimbo within 2 seconds"
kill -STOP "$xvfb_pid"
sed -i 's/= 1500/= 3333/' "$work/same.machine"
# Once a pass has read it (3333.0 as the SMC's float: 00 50 50 45), the
# label's repaint waits on the server.
for _ in $(seq 100); do grep -q 00505045 "$work/trace" && break; sleep 0.1; done
pkill -TERM -P "$quimbo_pid"
ended 143 "2 seconds after SIGTERM, the X server stopped" 20
kill -CONT "$xvfb_pid"

echo "== over hwmon, the same strip"
start QUIMBO_HWMON_ROOT="$work/hwmon"
strip=$(window Quimbo) || fail "no strip window"
[ "$(shot "$strip")" = "$simulated" ] || fail "the strip over hwmon differs from '61° · 1500'"
pkill -TERM -P "$quimbo_pid"
ended 143 "after SIGTERM"

echo "== without an SMC: the thermometer alone"
mkdir -p "$work/no-sensors"
start QUIMBO_HWMON_ROOT="$work/no-sensors"
strip=$(window Quimbo) || fail "no strip window"
read -r sx sy sw sh < <(geometry "$strip")
[ "$sw" -lt 50 ] || fail "the strip is $sw wide: more than the thermometer"

echo "== SIGTERM ends quimbo through its event loop"
pkill -TERM -P "$quimbo_pid"  # perl's child: this run's quimbo
ended 143 "after SIGTERM"

echo "== twelve fans on a screen 600 high, at a scale of 1.5: the fan list scrolls between the header and Çıkış"
xserver 1280x600
{
  echo 'FNum "ui8 " 0c'
  echo 'Tp01 "flt " = 61.5'
  for i in $(seq 0 11); do
    key=F$i && [ "$i" -lt 10 ] || key=$i # fans 10 and on: 10Ac, a key is four characters
    printf '%sAc "flt " = %d\n%sMn "flt " = 1000\n%sMx "flt " = 5000\n' "$key" $((1500 + 100 * i)) "$key" "$key"
  done
} > "$work/twelve.machine"
start QT_SCALE_FACTOR=1.5 QUIMBO_SMC_SIM="$work/twelve.machine"
open_panel
[ $((py + ph)) -le 600 ] && [ "$ph" -gt 400 ] || fail "the panel runs from $py to $((py + ph)) on a screen 600 high"
seen=$(lines "$panel")
[[ "$seen" =~ ^framed\ \|=+\|\|$ ]] || fail "the panel shows '$seen', not its border, three dividers and bars"
top=$(shot "$panel") || fail "the panel does not settle"
xdotool mousemove $((px + pw / 2)) $((py + ph / 2)) click --repeat 5 5
scrolled=$(shot "$panel") || fail "the panel does not settle after the wheel"
[ "$scrolled" != "$top" ] || fail "the wheel did not scroll the fan list"
xdotool mousemove $((px + pw - 12 - 30)) $((py + ph - 12 - 12)) click 1
ended 0 "after Çıkış at the panel's foot"

echo "== at a scale of 2 on a screen 800x600: the panel scrolls as a whole, both fans whole, then to Çıkış"
xserver 800x600
start QT_SCALE_FACTOR=2 QUIMBO_SMC_SIM="$machine"
open_panel
[ $((py + ph)) -le 600 ] || fail "the panel runs from $py to $((py + ph)) on a screen 600 high"
seen=$(lines "$panel")
[ "$seen" = "framed |==|" ] || fail "the panel's top shows '$seen', not both fans between two dividers"
xdotool mousemove $((px + pw / 2)) $((py + ph / 2)) click --repeat 5 5
seen=$(lines "$panel")
[ "$seen" = "framed |==||" ] || fail "scrolled down, the panel shows '$seen', not the footer's divider"
xdotool mousemove $((px + 2 * (260 - 12 - 30))) $((py + ph - 2 * (12 + 12))) click 1
ended 0 "after Çıkış, scrolled to at a scale of 2"

echo "== a display that cannot be reached is a clear error"
if out=$(DISPLAY=:9999 QUIMBO_FRONTEND=desktop QUIMBO_SMC_SIM="$machine" "$quimbo" 2>&1); then
  fail "started without a display"
fi
grep -q "^quimbo: the display cannot be reached" <<< "$out" || fail "message: $out"

echo "all desktop checks passed"
