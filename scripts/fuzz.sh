#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) and runs each
# from the seed corpus for a while. An input that takes more than 10 s (a
# read that waits) counts as a fault.
#   scripts/fuzz.sh [SECONDS-PER-TARGET]     default 30
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in SmcResponseFuzz MachineFileFuzz HwmonFuzz; do
  mkdir -p "$work/$target"
  echo "== $target, ${seconds} s"
  status=0
  build/fuzz/fuzz/$target -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    "$work/$target" "fuzz/corpus/$target" > "$work/$target.log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units' "$work/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$work/$target.log"
    echo "$target found a fault"
    exit 1
  fi
done
