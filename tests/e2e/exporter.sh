#!/usr/bin/env bash
# Drives the real quimbo-exporter with Debian's Prometheus parts: what it
# writes passes promtool, node_exporter's textfile collector serves it, and a
# Prometheus server scraping that node_exporter answers for it; a changed
# machine reaches the first pass after the change; a reader never sees a
# partial file; a directory that goes away is reported once and written
# again when it is back; a write that fails half way (the file size limit)
# leaves the last file whole; SIGTERM leaves that file and nothing else; bad
# input ends with status 2. The alerting rules pass their own tests.
#   tests/e2e/exporter.sh path/to/quimbo-exporter path/to/machine-file
set -euo pipefail
here=$(dirname "$0")
. "$here/tmux-session.sh"  # within
exporter=$(realpath "$1")
machine=$(realpath "$2")
work=$(mktemp -d)
dir=$work/textfiles
prom=$dir/quimbo.prom
pids=()
trap 'kill "${pids[@]}" 2> /dev/null || true; rm -rf "$work"' EXIT
mkdir "$dir"
cp "$machine" "$work/machine"
export QUIMBO_SMC_SIM=$work/machine
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log; do [ -s "$f" ] && { echo "--- $f:"; tail -20 "$f"; }; done
  exit 1
}
# A complete file starts with the first metric and ends with the last.
complete() { [[ "$1" == "# HELP quimbo_smc_available "* && "$1" == *$'\nquimbo_build_info{'*'} 1' ]]; }
only_the_file() { [ "$(ls -A "$dir")" = quimbo.prom ] || fail "$1: $dir holds $(ls -A "$dir")"; }
port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
get() { python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' "$1"; }
# passed_since TIME [SECONDS]: whether the file is from a pass that started
# after TIME (plus SECONDS).
passed_since() {
  awk -v a="$(sed -n 's/^quimbo_last_pass_timestamp_seconds //p' "$prom" 2> /dev/null)" \
    -v b="$1" -v s="${2:-0}" 'BEGIN { exit !(a > b + s) }'
}
# The passes traced so far: each opens with the key-information exchange
# (command 9 at byte 42) for FNum.
traced_passes() { grep -cE '^[0-9]+ 2 6d754e46.{76}09' "$work/trace" || true; }
traced_at_least() { [ "$(traced_passes)" -ge "$1" ]; }

echo "== the alerting rules"
promtool test rules "$here/alerts.test.yml" > "$work/rules.log" 2>&1 || fail "the rules' tests fail"

echo "== bad input: status 2 and what is wrong"
cases=(
  "--interval 5|--textfile-directory DIR is required"
  "--textfile-directory $work/none|the textfile directory $work/none: No such file or directory"
  "--textfile-directory $work/machine|the textfile directory $work/machine: is not a directory"
  "--textfile-directory $dir --interval 0|--interval takes a whole number of seconds from 1 to 86400, not '0'"
  "--textfile-directory $dir --interval 1.5|not '1.5'"
  "--textfile-directory $dir --interval soon|not 'soon'"
  "--textfile-directory $dir --port 9100|unknown option '--port'"
  "--textfile-directory|--textfile-directory needs a value"
  "--textfile-directory $dir now|unexpected argument 'now'"
)
for case in "${cases[@]}"; do
  # shellcheck disable=SC2086  # the arguments are split on purpose
  out=$(timeout 30 "$exporter" ${case%%|*} 2>&1) && status=0 || status=$?
  [ "$status" = 2 ] && [[ "$out" == "quimbo-exporter: "*"${case#*|}"*"(see quimbo-exporter --help)" ]] ||
    fail "'${case%%|*}': status $status, said: $out"
done
[ -z "$(ls -A "$dir")" ] || fail "bad input wrote $(ls -A "$dir")"

echo "== --once: one complete file readable by all, that promtool accepts, and a failed write keeps it"
(umask 077 && timeout 30 "$exporter" --textfile-directory "$dir" --once) || fail "--once failed"
only_the_file "--once"
[ "$(stat -c %a "$prom")" = 644 ] || fail "the file's mode is $(stat -c %a "$prom")"
promtool check metrics < "$prom" > "$work/promtool.log" 2>&1 || fail "promtool check metrics"
grep -qx 'quimbo_temperature_celsius{group="cpu"} 57.79999923706055' "$prom" || fail "cpu: $(cat "$prom")"
cp "$prom" "$work/before"
(ulimit -f 1 && timeout 30 "$exporter" --textfile-directory "$dir" --once) 2> "$work/err" && status=0 || status=$?
[ "$status" = 1 ] && grep -q "cannot be written: File too large" "$work/err" ||
  fail "a write past the size limit: status $status, said: $(cat "$work/err")"
only_the_file "a failed write"
cmp -s "$prom" "$work/before" || fail "a failed write changed the file"

echo "== running every second, with node_exporter and Prometheus"
QUIMBO_SMC_TRACE=$work/trace "$exporter" --textfile-directory "$dir" --interval 1 2> "$work/exporter.log" &
pid=$!
node_port=$(port)
prometheus-node-exporter --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$dir" --web.listen-address="127.0.0.1:$node_port" > "$work/node.log" 2>&1 &
pids+=("$pid" $!)
prom_port=$(port)
cat > "$work/prometheus.yml" << CONF
global: {scrape_interval: 1s}
scrape_configs: [{job_name: quimbo, static_configs: [{targets: ["127.0.0.1:$node_port"]}]}]
CONF
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$prom_port" > "$work/prometheus.log" 2>&1 &
pids+=($!)
served() { metrics=$(get "http://127.0.0.1:$node_port/metrics" 2> /dev/null) && grep -q '^quimbo_temp' <<< "$metrics"; }
within 60 served || fail "node_exporter does not serve the file"
grep -qx 'quimbo_temperature_celsius{group="gpu"} 48.900001525878906' <<< "$metrics" &&
  grep -qx "node_textfile_scrape_error 0" <<< "$metrics" || fail "node_exporter serves: $metrics"
answered() {
  answer=$(promtool query instant "http://127.0.0.1:$prom_port" 'quimbo_temperature_celsius{group="cpu"}' \
    2> /dev/null) && grep -q '=> 57.79999923706055' <<< "$answer"
}
within 90 answered || fail "Prometheus does not answer for quimbo_temperature_celsius"

# A reader, reading the file over and over while three passes replace it.
seen=$(date +%s.%N)
reads=0
until passed_since "$seen" 2; do
  content=$(< "$prom")
  complete "$content" || fail "a reader saw a partial file after $reads reads: $content"
  reads=$((reads + 1))
done
echo "   $reads complete reads over three passes"

sed 's/^Tp09 .*/Tp09 "flt " = 77.5/' "$machine" > "$work/machine.new"
mv "$work/machine.new" "$work/machine"
changed=$(date +%s.%N)
within 30 passed_since "$changed" || fail "no pass after the change"
grep -qx 'quimbo_temperature_celsius{group="cpu"} 77.5' "$prom" ||
  fail "the first pass after the change does not have it: $(grep cpu "$prom")"

echo "== the directory goes away for three passes and comes back"
mv "$dir" "$work/away"
away=$(($(traced_passes) + 3))
within 30 traced_at_least "$away" || fail "no three passes while it was away"
mv "$work/away" "$dir"
seen=$(date +%s.%N)
within 30 passed_since "$seen" || fail "not written again after the directory came back"
[ "$(grep -c "cannot be created" "$work/exporter.log")" = 1 ] || fail "not reported once"
only_the_file "after the directory came back"

echo "== SIGTERM: status 0, the last complete file and nothing else"
kill -TERM "$pid"
wait "$pid" && status=0 || status=$?
[ "$status" = 0 ] || fail "status $status after SIGTERM"
only_the_file "after SIGTERM"
complete "$(< "$prom")" || fail "the file left is not complete"
echo "the exporter is sound"
