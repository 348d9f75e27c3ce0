#!/usr/bin/env bash
# Runs every NAME.js here (names starting with a lower-case letter; capitalised files are
# libraries the scripts import) through the console runner and compares what it prints with
# NAME.out. Optional: NAME.args (one argument per line), NAME.in (standard input),
# NAME.rc (expected exit status, default 0). Usage: run-suite.sh KESTRIN [NAME...]
set -u
kestrin=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in [a-z]*.js; do names+=("${f%.js}"); done
fi
failed=0
for name in "${names[@]}"; do
  args=()
  if [ -f "$name.args" ]; then mapfile -t args < "$name.args"; fi
  input=/dev/null
  [ -f "$name.in" ] && input="$name.in"
  expected_rc=0
  [ -f "$name.rc" ] && expected_rc=$(cat "$name.rc")
  actual=$(mktemp)
  "$kestrin" --codepage utf-8 "$name.js" "${args[@]}" < "$input" > "$actual" 2>/dev/null
  rc=$?
  if ! cmp -s "$actual" "$name.out"; then
    echo "FAIL $name: output differs"
    diff <(tr -d '\r' < "$name.out") <(tr -d '\r' < "$actual") | head -20
    failed=$((failed + 1))
  elif [ "$rc" != "$expected_rc" ]; then
    echo "FAIL $name: exit status $rc, expected $expected_rc"
    failed=$((failed + 1))
  else
    echo "ok   $name"
  fi
  rm -f "$actual"
done
if [ $failed -ne 0 ]; then
  echo "$failed of ${#names[@]} scripts failed"
  exit 1
fi
echo "all ${#names[@]} scripts passed"
