#!/usr/bin/env bash
# Checks on Linux what the Mac builds; nothing here runs on a Mac.
# - The Mac's configuration (preset mac-on-linux, cmake/MacOnLinux.cmake):
#   the targets the Mac builds, from the Mac's sources, with clang and LLVM's
#   libc++ (14, older than Xcode's), under Darwin's feature macros and
#   stack_t, over stand-ins for Apple's frameworks (tests/fakes). Every
#   program and test is linked, as on a Mac, so that a symbol a program
#   lacks there fails here; the unit tests run; quimbo-exporter writes one
#   pass over the simulated laptop and loads no Qt; quimbo runs once in a
#   terminal.
# - The Objective-C++ (the status item, SMAppService, the main bundle, the
#   Mac's own tests), syntax and types only, with ARC, against GNUstep's
#   AppKit and Foundation and the later Apple interfaces GNUstep lacks,
#   declared in tests/objc-check/. None of it is linked or run.
#   scripts/check-mac.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh mac

cmake --preset mac-on-linux >/dev/null
cmake --build --preset mac-on-linux -j 2
ctest --preset mac-on-linux -j 2
textfiles=$(mktemp -d)
trap 'rm -rf "$textfiles"' EXIT
QUIMBO_SMC_SIM=machines/apple-silicon-laptop.machine build/mac-on-linux/bin/quimbo-exporter \
  --textfile-directory "$textfiles" --once
grep -q '^quimbo_smc_available 1$' "$textfiles/quimbo.prom"
if ldd build/mac-on-linux/bin/quimbo-exporter | grep Qt; then
  echo "quimbo-exporter of the Mac's configuration loads Qt"
  exit 1
fi
echo "quimbo-exporter of the Mac's configuration: one pass written, no Qt"
# Its quimbo in a terminal, in the C locale and with the argument macOS adds
# on a first launch from a download.
LC_ALL=C scripts/run-in-tmux.sh "$textfiles/screen.txt" build/mac-on-linux/bin/quimbo -psn_0_4242 \
  >/dev/null
echo "quimbo of the Mac's configuration: run in a terminal and quit"

passed=0
failed=0
# compile FILE COMMAND...: runs the compiler's COMMAND on FILE, syntax only.
compile() {
  local file=$1
  shift
  if "$@" -fsyntax-only -Werror "$file"; then
    echo "ok   $file"
    passed=$((passed + 1))
  else
    echo "FAIL $file"
    failed=$((failed + 1))
  fi
}

# GNUstep is built for GCC's Objective-C runtime, whose headers sit in GCC's
# own include folder. ARC needs a modern runtime's ABI, under which one
# inline function of GCC's headers reads `id` as a plain pointer: that
# header is given a cast, the rest are taken as they are.
runtime=$(mktemp -d)
trap 'rm -rf "$textfiles" "$runtime"' EXIT
gcc_objc=$(dirname "$(gcc -print-file-name=include/objc/objc.h)")
mkdir "$runtime/objc"
ln -s "$gcc_objc"/* "$runtime/objc/"
rm "$runtime/objc/runtime.h"
sed 's/return object->class_pointer;/return ((struct objc_object *)object)->class_pointer;/' \
  "$gcc_objc/runtime.h" > "$runtime/objc/runtime.h"

# GNUstep declares Apple's option sets (NSWindowCollectionBehavior) as
# several anonymous enums, whose members clang would not have combined.
objc=(-x objective-c++ -std=c++20 -stdlib=libc++ -fPIC -Wall -Wextra -Wpedantic
  -Wno-deprecated-anon-enum-enum-conversion
  -fobjc-arc -fobjc-runtime=gnustep-2.0 -fconstant-string-class=NSConstantString)
# GNUstep's and Qt's definitions; their headers as system headers.
for flag in $(gnustep-config --objc-flags) $(pkg-config --cflags Qt6Widgets); do
  case "$flag" in
    -D*) objc+=("$flag") ;;
    -I.) ;;
    -I*) objc+=(-isystem "${flag#-I}") ;;
  esac
done
# The declarations of tests/objc-check come before GNUstep's headers.
objc=(-I. -isystem tests/objc-check -isystem "$runtime" "${objc[@]}")
while IFS= read -r file; do
  compile "$file" clang++ "${objc[@]}"
done < <(git ls-files --cached --others --exclude-standard '*.mm')

echo "Objective-C++: $passed passed, $failed failed"
((passed > 0 && failed == 0))
