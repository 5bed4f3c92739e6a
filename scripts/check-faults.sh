#!/usr/bin/env bash
# Measures the test suite against the hand-made faults of scripts/faults.txt:
# injects each in turn, rebuilds (default preset), runs every test, and tells
# which tests failed. The changed file is put back after each fault, also
# when the run is interrupted.
#   scripts/check-faults.sh [-o FILE] [ID...]   all faults, or those named
# Prints one line per fault and writes the same, tab-separated, to FILE
# (default build/default/faults.tsv): id, "caught", "NOT caught" or "build
# failed", the failing tests.
set -euo pipefail
cd "$(dirname "$0")/.."
list=scripts/faults.txt
out=build/default/faults.tsv
if [[ ${1:-} == -o ]]; then
  out=$2
  shift 2
fi

# faults ids | faults check ID... | faults file ID | faults apply ID
faults() {
  python3 - "$list" "$@" <<'PY'
import sys

def unescape(text):
    out, chars = [], iter(text)
    for c in chars:
        if c == '\\':
            c = next(chars, '\\')
            out.append('\n' if c == 'n' else c)
        else:
            out.append(c)
    return ''.join(out)

path, mode, *ids = sys.argv[1:]
faults = {}
for block in open(path, encoding='utf-8').read().split('\n\n'):
    fault = {'pairs': []}
    for line in block.splitlines():
        if not line.strip() or line.startswith('#'):
            continue
        key, _, value = line.partition(':')
        value = value[1:] if value.startswith(' ') else value
        if key == 'find':
            fault['pairs'].append([unescape(value), ''])
        elif key == 'replace':
            fault['pairs'][-1][1] = unescape(value)
        else:
            fault[key] = value
    if 'id' in fault:
        faults[fault['id']] = fault

def changed(fault):
    text = open(fault['file'], encoding='utf-8', newline='').read()
    for find, replace in fault['pairs']:
        count = text.count(find)
        if count != 1:
            sys.exit(f"{fault['id']}: {find!r} occurs {count} times in {fault['file']}")
        text = text.replace(find, replace)
    return text

for id in ids:
    if id not in faults:
        sys.exit(f'{id}: no such fault in {path}')
if mode == 'ids':
    print('\n'.join(faults))
elif mode == 'check':
    for id in ids:
        changed(faults[id])
elif mode == 'file':
    print(faults[ids[0]]['file'])
elif mode == 'apply':
    text = changed(faults[ids[0]])
    open(faults[ids[0]]['file'], 'w', encoding='utf-8', newline='').write(text)
PY
}

# The changed file is put back with a new time stamp, so that the next build
# compiles it again.
saved=$(mktemp)
changed=
restore() {
  if [[ -n $changed ]]; then cp "$saved" "$changed"; fi
  changed=
}
trap 'restore; rm -f "$saved"' EXIT
trap 'exit 130' INT TERM

logs=build/default/faults
failed_log=build/default/Testing/Temporary/LastTestsFailed.log
# Builds and runs every test; prints the failing tests, or "build failed".
suite() {
  if ! cmake --build --preset default -j2 >"$logs/$1.build.log" 2>&1; then
    echo "build failed"
    return
  fi
  rm -f "$failed_log"
  ctest --preset default -j2 --timeout 300 >"$logs/$1.test.log" 2>&1 || true
  # Lines are "number:name", with "  # GetParam() = ..." after a parameterised test's name.
  if [[ -f $failed_log ]]; then cut -d: -f2- "$failed_log" | sed 's/  # .*//' | paste -sd, -; fi
}

if (($# == 0)); then mapfile -t ids < <(faults ids); else ids=("$@"); fi
faults check "${ids[@]}"

cmake --preset default >/dev/null
mkdir -p "$logs"
failing=$(suite baseline)
if [[ -n $failing ]]; then
  echo "the unchanged tree does not pass ($failing): no faults checked" >&2
  exit 1
fi

started=$SECONDS
printf 'id\tresult\tfailing tests\n' >"$out"
for id in "${ids[@]}"; do
  file=$(faults file "$id")
  cp "$file" "$saved"
  changed=$file  # only once its copy is safe
  faults apply "$id"
  failing=$(suite "$id")
  restore
  case $failing in
    "build failed") result="build failed" failing= ;;
    "") result="NOT caught" ;;
    *) result=caught ;;
  esac
  printf '%-32s %-12s %s\n' "$id" "$result" "$failing"
  printf '%s\t%s\t%s\n' "$id" "$result" "$failing" >>"$out"
done
cmake --build --preset default -j2 >"$logs/restored.build.log" 2>&1
echo "${#ids[@]} faults in $((SECONDS - started)) s; results in $out"
