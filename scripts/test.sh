#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds, and runs every test.
#   scripts/test.sh          the optimised build
#   scripts/test.sh asan     the same suite under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
