#!/usr/bin/env bash
# Runs Quimbo's terminal front end once in tmux, 80×30, as a user would: waits
# for the label, opens the panel, waits for "Çıkış" (Quit) and presses it;
# fails unless the program ends with status 0. The screen with the panel
# open is left in SCREEN. Used where nothing else drives a terminal (the
# macOS workflow); the environment is the caller's, LANG and LC_ALL
# included.
#   scripts/run-in-tmux.sh SCREEN PROGRAM [ARGUMENT...]
set -euo pipefail
screen=$1
shift
status=$(mktemp)
# A server of its own, ended on the way out.
tm() { tmux -u -L "quimbo-run-$$" "$@"; }
trap 'tm kill-server 2>/dev/null || true; rm -f "$status"' EXIT
: >"$status"

# wait_until WHAT COMMAND...: reads the screen into SCREEN until COMMAND
# (run on it) succeeds, for up to 10 seconds.
wait_until() {
  local what=$1
  shift
  for _ in $(seq 100); do
    tm capture-pane -p -t quimbo >"$screen" 2>/dev/null || true
    "$@" && return 0
    sleep 0.1
  done
  echo "no $what on the screen after 10 s:"
  cat "$screen"
  return 1
}
label() { head -1 "$screen" | grep -q '[^[:space:]]'; }
quit() { grep -q "Çıkış" "$screen"; }

tm new-session -d -s quimbo -x 80 -y 30 \
  "env QUIMBO_FRONTEND=terminal TERM=xterm-256color $(printf '%q ' "$@"); echo \$? > '$status'; sleep 60"
wait_until "label" label
tm send-keys -t quimbo Enter # the panel
wait_until "Çıkış" quit
cat "$screen"
tm send-keys -t quimbo Tab Enter # Çıkış
for _ in $(seq 50); do [ -s "$status" ] && break; sleep 0.1; done
test -s "$status" || { echo "Quimbo did not end"; exit 1; }
test "$(cat "$status")" = 0 || { echo "Quimbo ended with status $(cat "$status")"; exit 1; }
