#!/usr/bin/env bash
# Compile-checks on Linux what the Mac builds, as Xcode would compile it:
# - every C++ translation unit outside platform/linux/, tests included, with
#   clang and LLVM's libc++ (the Mac's C++ library; Debian's is older than
#   Xcode's, so what passes here passes there);
# - every Objective-C++ file, with ARC, against GNUstep's AppKit and
#   Foundation and the later Apple interfaces GNUstep lacks, declared in
#   tests/objc-check/;
# - the Mac's plain C++ over the fake SDK headers of tests/fakes/.
# Syntax and types only: Debian's GoogleTest and Qt are built for GCC's C++
# library, and nothing is linked or run without a Mac.
#   scripts/check-mac.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh mac

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

# The project configured for clang and libc++, only for the compile commands
# of its translation units.
cmake -S . -B build/libcxx -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-stdlib=libc++ \
  -DQUIMBO_BUILD_FUZZERS=ON >/dev/null
while IFS= read -r -d '' unit; do
  eval "words=($unit)" # the compile command as CMake wrote it, shell-quoted
  compile "${words[@]}"
done < <(python3 - <<'PY'
import json, os, shlex
for unit in json.load(open("build/libcxx/compile_commands.json")):
    file = os.path.relpath(unit["file"])
    if file.startswith(("platform/linux/", "build/")):
        continue
    words = shlex.split(unit["command"])
    out = words.index("-o")
    words = [w for w in words[:out] + words[out + 2:] if w not in ("-c", unit["file"])]
    print(shlex.join([file] + words), end="\0")
PY
)

# GNUstep is built for GCC's Objective-C runtime, whose headers sit in GCC's
# own include folder. ARC needs a modern runtime's ABI, under which one
# inline function of GCC's headers reads `id` as a plain pointer: that
# header is given a cast, the rest are taken as they are.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
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

# The Mac's plain C++, over the fake SDK: most of it is built and tested on
# Linux already, but not the wiring of MacSystem.cpp.
while IFS= read -r file; do
  compile "$file" clang++ -x c++ -std=c++20 -stdlib=libc++ -Wall -Wextra -Wpedantic \
    -I. -isystem tests/fakes
done < <(git ls-files --cached --others --exclude-standard 'platform/macos/*.cpp')

echo "macOS sources: $passed passed, $failed failed"
((passed > 0 && failed == 0))
