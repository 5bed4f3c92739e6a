#!/usr/bin/env bash
# Compile-checks every Objective-C++ file (the macOS adapters) on Linux, and
# the Mac's plain C++ beside them:
# clang parses each against GNUstep's AppKit and Foundation, with the later
# Apple interfaces GNUstep lacks declared in tests/objc-check/, and against
# the project's own and Qt's headers. Syntax and types only: nothing is
# linked or run without a Mac.
#   scripts/check-objc.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh objc

# Debian's GNUstep is built for GCC's Objective-C runtime, whose headers sit
# in GCC's own include folder; only they are put on clang's path.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
ln -s "$(dirname "$(gcc -print-file-name=include/objc/objc.h)")" "$runtime/objc"

flags=(-x objective-c++ -std=c++20 -fsyntax-only -fPIC -Wall -Wextra -Wpedantic -Werror
  -fobjc-runtime=gcc -fconstant-string-class=NSConstantString)
# GNUstep's and Qt's definitions; their headers as system headers.
for flag in $(gnustep-config --objc-flags) $(pkg-config --cflags Qt6Widgets); do
  case "$flag" in
    -D*) flags+=("$flag") ;;
    -I.) ;;
    -I*) flags+=(-isystem "${flag#-I}") ;;
  esac
done
# The declarations of tests/objc-check come before GNUstep's headers.
flags=(-I. -isystem tests/objc-check -isystem "$runtime" "${flags[@]}")

passed=0
failed=0
# check PATTERN FLAGS...: every file of the project matching PATTERN.
check() {
  local pattern=$1 file
  shift
  while IFS= read -r file; do
    if clang++ "$@" "$file"; then
      echo "ok   $file"
      passed=$((passed + 1))
    else
      echo "FAIL $file"
      failed=$((failed + 1))
    fi
  done < <(git ls-files --cached --others --exclude-standard "$pattern")
}

check '*.mm' "${flags[@]}"
((passed + failed > 0)) || { echo "no Objective-C++ file found"; exit 1; }
# The Mac's plain C++ too, over the fake IOKit of the tests: most of it is
# built and tested on Linux already, but not the wiring of MacSystem.cpp.
check 'platform/macos/*.cpp' -x c++ -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror \
  -I. -isystem tests/fakes
echo "macOS sources: $passed passed, $failed failed"
((failed == 0))
