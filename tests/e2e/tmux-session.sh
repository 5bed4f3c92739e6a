# Sourced by end-to-end tests that drive quimbo in a terminal: a fresh tmux
# server for every run, an 80x24 terminal, and waits on what it shows.
# The sourcing script sets $work (a scratch folder) and $quimbo.
socket=""
runs=0

session_end() {
  if [ -n "$socket" ]; then tmux -L "$socket" kill-server 2>/dev/null || true; fi
}
# What the terminal shows, wrapped lines joined.
screen() { tmux -L "$socket" capture-pane -p -J -t e2e 2>/dev/null || true; }
fail() {
  echo "FAIL: $*"
  echo "--- screen:"
  screen
  exit 1
}
# within SECONDS COMMAND...: whether COMMAND succeeds within SECONDS, tried
# every tenth of a second.
within() {
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
shows() {
  local text
  for text in "$@"; do screen | grep -qF -- "$text" || return 1; done
}
wait_for() { within 10 shows "$@" || fail "never showed: $*"; }
hides() { ! shows "$1"; }
wait_gone() { within 10 hides "$1" || fail "still shows: $1"; }
wait_status() { within 10 test -s "$work/status" || fail "quimbo did not end"; }
# start LINE: runs the bash line LINE, which starts quimbo, in a fresh
# terminal, with TERM=xterm-256color and QUIMBO_FRONTEND=terminal. Once it
# ends, its exit status is in $work/status and the terminal's modes in
# $work/stty.
start() {
  rm -f "$work/status" "$work/stty" "$work/shell"
  session_end
  socket="quimbo-e2e-$$-$((++runs))" # a fresh server each time: a dying one may linger
  cat > "$work/run.sh" <<RUN
echo \$\$ > '$work/shell'
export TERM=xterm-256color QUIMBO_FRONTEND=terminal
$1
echo \$? > '$work/status'
stty -a > '$work/stty'
sleep 60
RUN
  tmux -L "$socket" new-session -d -s e2e -x 80 -y 24 "bash '$work/run.sh'"
}
# The pid of this run's quimbo.
own_pid() {
  within 10 test -s "$work/shell" && pgrep -n -P "$(cat "$work/shell")" -f "^$quimbo\$"
}
# Whether the terminal is back in its normal modes.
restored() {
  within 5 test -s "$work/stty" || return 1
  grep -qE '(^| )icanon( |$)' "$work/stty" && grep -qE '(^| )echo( |$)' "$work/stty"
}
