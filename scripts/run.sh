#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds Quimbo, and starts it.
#   scripts/run.sh                     the real machine's sensors
#   scripts/run.sh --demo              a simulated Apple Silicon laptop
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target quimbo >/dev/null
if [ "${1:-}" = "--demo" ]; then
  export QUIMBO_SMC_SIM=${QUIMBO_SMC_SIM:-$PWD/machines/apple-silicon-laptop.machine}
  shift
fi
exec build/default/bin/quimbo "$@"
