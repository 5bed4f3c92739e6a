#!/usr/bin/env bash
# Drives the real quimbo and quimbo-snapshot where files are concerned:
# machine files read the same under Turkish and German locales (whose
# decimal separator is a comma), a rewrite that is refused reported once on
# standard error (at exit when standard error is the terminal), a file
# rewritten slowly never taken half written, FIFOs, endless files and loops of
# links where files are expected, more hwmon sensors than file descriptors,
# and the trace file: refused when it is a link or a FIFO, created for its
# owner only, stopped with one message when it cannot be written.
#   tests/e2e/files.sh path/to/quimbo path/to/quimbo-snapshot|none path/to/machine-file
set -euo pipefail
here=$(dirname "$0")
. "$here/hwmon-fixture.sh"
. "$here/tmux-session.sh"
quimbo=$(realpath "$1")
snapshot=none
[ "$2" = none ] || snapshot=$(realpath "$2")
machine=$(realpath "$3")
work=$(mktemp -d)
trap 'session_end; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work
locales=(tr_TR.UTF-8 de_DE.UTF-8)
for locale in "${locales[@]}"; do
  locale -a | grep -qix "${locale%.UTF-8}.utf8" ||
    { echo "FAIL: the locale $locale is missing: scripts/install-deps.sh generates it"; exit 1; }
done

# refused WHAT COMMAND...: COMMAND must end at once (not wait), fail, and
# print exactly the message $expected.
refused() {
  local what=$1 out status=0
  shift
  out=$(timeout 30 "$@" 2>&1 < /dev/null) || status=$?
  [ "$status" != 124 ] || fail "$what: still waiting after 30 s"
  [ "$status" != 0 ] || fail "$what: accepted"
  [ "$out" = "$expected" ] || fail "$what: said '$out', not '$expected'"
}
# rewrite SED-SCRIPT: the machine file as shipped, edited, put in place at once.
rewrite() {
  sed -e "$1" "$machine" > "$work/machine.new"
  mv "$work/machine.new" "$work/machine"
}
# The sampling passes in the trace so far: each opens with the
# key-information exchange (command 9 at byte 42) for FNum.
traced_passes() { grep -cE '^[0-9]+ 2 6d754e46.{76}09' "$work/trace" || true; }
reached() { [ "$(traced_passes)" -ge "$1" ]; }
# passes N: waits until quimbo has made N more passes.
passes() { within 30 reached $(($(traced_passes) + $1)) || fail "no $1 more passes"; }
lines() { grep -c "$1" "$2" || true; }

if [ "$snapshot" != none ]; then
  echo "== quimbo-snapshot draws the same panel under ${locales[*]} as in C"
  LC_ALL=C.UTF-8 "$snapshot" "$machine" "$work/C.png" 2> /dev/null || fail "no snapshot in C"
  for locale in "${locales[@]}"; do
    LC_ALL=$locale "$snapshot" "$machine" "$work/$locale.png" 2> "$work/err" ||
      fail "no snapshot under $locale: $(cat "$work/err")"
    cmp -s "$work/C.png" "$work/$locale.png" || fail "the panel under $locale differs"
  done
fi

echo "== a FIFO, /dev/zero, a 2 MiB file or a loop of links as the machine file: an error at once"
mkfifo "$work/fifo"
truncate -s 2M "$work/large"
ln -s "$work/loop" "$work/loop"
for file in fifo /dev/zero large loop; do
  case $file in
    /*) path=$file ;;
    *) path=$work/$file ;;
  esac
  case $file in
    large) fault="is longer than 1048576 bytes" ;;
    loop) fault="cannot be opened: Too many levels of symbolic links" ;;
    *) fault="is not a regular file" ;;
  esac
  expected="quimbo: $path: $fault"
  LC_ALL=C refused "quimbo over $file" env QUIMBO_SMC_SIM="$path" "$quimbo"
  [ "$snapshot" = none ] && continue
  expected="quimbo-snapshot: $path: $fault"
  LC_ALL=C refused "quimbo-snapshot over $file" "$snapshot" "$path" "$work/out.png"
done

echo "== a symbolic link or a FIFO as the trace file: an error at start, nothing written"
echo "keep" > "$work/target"
ln -s "$work/target" "$work/planted"
ln -s "$work/nothing-yet" "$work/dangling"
for file in planted dangling; do
  expected="quimbo: $work/$file: cannot be opened for the trace: is a symbolic link"
  LC_ALL=C refused "a trace through a link" \
    env QUIMBO_SMC_SIM="$machine" QUIMBO_SMC_TRACE="$work/$file" "$quimbo"
done
[ "$(cat "$work/target")" = keep ] && [ ! -e "$work/nothing-yet" ] || fail "written through a link"
expected="quimbo: $work/fifo: cannot be opened for the trace: is not a regular file"
LC_ALL=C refused "a FIFO without a reader" \
  env QUIMBO_SMC_SIM="$machine" QUIMBO_SMC_TRACE="$work/fifo" "$quimbo"
exec 3<> "$work/fifo"  # now it has a reader
LC_ALL=C refused "a FIFO with a reader" \
  env QUIMBO_SMC_SIM="$machine" QUIMBO_SMC_TRACE="$work/fifo" "$quimbo"
exec 3<&-

tp09=$(grep -n '^Tp09 ' "$machine" | cut -d: -f1)
broken="quimbo: $work/machine:$tp09: the type \"flt\" is not exactly four characters; the machine stays as it was"
long_key="quimbo: $work/machine:$(grep -n '^F1Ac ' "$machine" | cut -d: -f1): the key XYZF1Ac is not exactly four characters; the machine stays as it was"

echo "== tr_TR.UTF-8, standard error to a file: rewrites with decimals are taken, a refused one reported once"
cp "$machine" "$work/machine"
start "LC_ALL=tr_TR.UTF-8 QUIMBO_SMC_SIM='$work/machine' QUIMBO_SMC_TRACE='$work/trace' '$quimbo' 2> '$work/err'"
wait_for "57° · 2010"
[ "$(stat -c %a "$work/trace")" = 600 ] || fail "the trace is created with mode $(stat -c %a "$work/trace")"
rewrite 's/^F1Ac .*/F1Ac "flt " = 3333.5/; s/^Tp09 .*/Tp09 "flt " = 66.6/'
wait_for "66° · 3333"
rewrite 's/^F1Ac .*/F1Ac "flt " = 3333.5/; s/^Tp09 .*/Tp09 "flt" = 70.5/'
within 30 grep -qF "$broken" "$work/err" || fail "the refused rewrite was not reported: $(cat "$work/err")"
passes 3
[ "$(lines "the type" "$work/err")" = 1 ] || fail "reported more than once: $(cat "$work/err")"
shows "66° · 3333" || fail "the refused rewrite changed the readings"
rewrite 's/^F1Ac .*/F1Ac "flt " = 3333.5/; s/^Tp09 .*/Tp09 "flt " = 71.5/'
wait_for "71° · 3333"
echo "   rewritten in place a line at a time, for longer than a pass: never taken half written"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "38°C"  # the SSD, on the file's last line
for value in 4444 5555; do
  sed -e "s/^F1Ac .*/F1Ac \"flt \" = $value/" -e 's/^Tp09 .*/Tp09 "flt " = 71.5/' "$machine" > "$work/slow"
  while IFS= read -r line; do printf '%s\n' "$line" && sleep 0.1; done < "$work/slow" > "$work/machine" &
  while kill -0 $! 2> /dev/null; do
    text=$(screen)
    [[ -z $text || ($text =~ 71°\ ·\ (3333|4444|5555) && $text == *38°C*) ]] || fail "taken half written"
  done
  wait_for "71° · $value"
done
kill -TERM "$(own_pid)"
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
[ "$(cat "$work/err")" = "$broken" ] || fail "standard error holds: $(cat "$work/err")"

echo "== de_DE.UTF-8, standard error on the terminal: the report waits until the terminal is given back"
cp "$machine" "$work/machine"
rm "$work/trace"
start "LC_ALL=de_DE.UTF-8 QUIMBO_SMC_SIM='$work/machine' QUIMBO_SMC_TRACE='$work/trace' '$quimbo'"
wait_for "57° · 2010"
rewrite 's/^F1Ac .*/F1Ac "flt " = 3333.5/; s/^Tp09 .*/Tp09 "flt " = 66.6/'
wait_for "66° · 3333"
rewrite 's/^F1Ac .*/XYZF1Ac "flt " = 4444/'
passes 3
screen | grep -qF "quimbo:" && fail "a report on the running terminal's screen"
shows "66° · 3333" || fail "a key of seven characters was taken"
kill -TERM "$(own_pid)"
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
restored || fail "terminal modes not restored: $(cat "$work/stty")"
within 5 shows "$long_key" || fail "the report was lost at exit"
[ "$(screen | grep -cF "the key")" = 1 ] || fail "reported more than once"

echo "== a trace that cannot be written (a file-size limit) stops with one message; sampling goes on"
cp "$machine" "$work/machine"
rm "$work/trace"
start "ulimit -f 8; trap '' XFSZ; LC_ALL=C.UTF-8 QUIMBO_SMC_SIM='$work/machine' QUIMBO_SMC_TRACE='$work/trace' '$quimbo' 2> '$work/err'"
wait_for "57° · 2010"
within 30 grep -q "trace" "$work/err" || fail "no report of the trace"
rewrite 's/^F1Ac .*/F1Ac "flt " = 3333.5/'
wait_for "57° · 3333"
kill -TERM "$(own_pid)"
wait_status
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
[ "$(cat "$work/err")" = "quimbo: $work/trace: cannot be written: File too large; the trace stops here" ] ||
  fail "standard error holds: $(cat "$work/err")"

echo "== FIFOs, endless files and loops of links in a hwmon tree, and more sensors than"
echo "   descriptors: the other sensors, one report, and SIGTERM answered"
hwmon_fixture "$work/hwmon"
mkdir -p "$work/hwmon/hwmon2" "$work/hwmon/hwmon3" "$work/hwmon/hwmon5"
echo acpitz > "$work/hwmon/hwmon5/name"
for n in $(seq 300); do echo 30000 > "$work/hwmon/hwmon5/temp${n}_input"; done
(
  cd "$work/hwmon/hwmon2"
  echo cpu_thermal > name  # every sensor of this chip is a CPU sensor
  for n in 1 2 3; do echo 95000 > "temp${n}_input"; done
  mkfifo temp1_label
  ln -s /dev/zero temp2_label
  ln -s temp3_label temp3_label
  mkfifo temp4_input
  ln -s /dev/zero temp5_input
  cd ../hwmon3
  mkfifo name
  echo 3000 > fan1_input
  ln -s ../hwmon4 ../hwmon4
)
start "ulimit -n 64; QUIMBO_HWMON_ROOT='$work/hwmon' '$quimbo' 2> '$work/err'"
wait_for "61° · 1500"
tmux -L "$socket" send-keys -t e2e Enter
wait_for "61°C" "Fan 1" "1500 RPM" "Ortam" "30°C"
shows "Fan 2" && fail "the fan of a device whose name is a FIFO"
within 7 hides "61° · 1500" && fail "the label changed, with more sensors than descriptors"
grep -qE "^quimbo: $work/hwmon: too few file descriptors to read every sensor: [0-9]+ of [0-9]+ files are left out$" "$work/err" &&
  [ "$(wc -l < "$work/err")" = 1 ] || fail "not reported once: $(cat "$work/err")"
pid=$(own_pid) || fail "quimbo is not running"
sent=$(date +%s%N)
kill -TERM "$pid"
wait_status
echo "   (ended $((($(date +%s%N) - sent) / 1000000)) ms after SIGTERM)"
[ "$(cat "$work/status")" = 143 ] || fail "exit status $(cat "$work/status") after SIGTERM"
restored || fail "terminal modes not restored: $(cat "$work/stty")"

echo "all file checks passed"
