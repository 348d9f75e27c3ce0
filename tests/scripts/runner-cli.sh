#!/usr/bin/env bash
# The console runner's command line: inline text, standard input, help, exit statuses.
set -u
kestrin=$(realpath "$1")
failed=0
check() {  # check NAME EXPECTED-STATUS EXPECTED-STDOUT ACTUAL-STATUS ACTUAL-STDOUT
  if [ "$2" != "$4" ] || [ "$3" != "$5" ]; then
    echo "FAIL $1: status $4 (expected $2), output [$5] (expected [$3])"
    failed=$((failed + 1))
  else
    echo "ok   $1"
  fi
}
out=$("$kestrin" -e 'print(args.length, args[0], args[1]); return 3;' a 'b c'); check inline 3 "2ab c" $? "$out"
out=$(printf 'print("from stdin");' | "$kestrin" -); check stdin 0 "from stdin" $? "$out"
out=$("$kestrin" -e 'x = ;'); check syntax-error 1 "SyntaxError: Line( 1 ) Text( ; )" $? "$out"
out=$("$kestrin" -e '// nothing to run'); check empty 0 "" $? "$out"
# A script file's errors name the file, and a library's errors name the library.
lib_dir=$(mktemp -d)
printf 'ok = 1;\n\nx = ;\n' > "$lib_dir/bad.js"
printf 'a = 1;\nimport bad.*;\nb = ;\n' > "$lib_dir/main.js"
out=$("$kestrin" "$lib_dir/bad.js"); check file-syntax-error 1 "$lib_dir/bad.js: SyntaxError: Line( 3 ) Text( ; )" $? "$out"
out=$(cd "$lib_dir" && "$kestrin" main.js); check library-syntax-error 1 "bad.js: SyntaxError: Line( 3 ) Text( ; )" $? "$out"
printf 'a = 1;\nimport nolib;\n' > "$lib_dir/main.js"
out=$("$kestrin" "$lib_dir/main.js"); check missing-library 1 "$lib_dir/main.js: Line( 2 ): file not found: nolib.js" $? "$out"
rm -rf "$lib_dir"
out=$("$kestrin" -e 'throw 1;'); st=$?; check uncaught 1 "Exception: EThrow => " $st "${out%$'\r'}"
out=$("$kestrin" -e 'exit(300);'); check exit-low-bits 44 "" $? "$out"
out=$("$kestrin" -e 'return -1;'); check negative-result 255 "" $? "$out"
out=$("$kestrin" /nonexistent/script.js 2>/dev/null); check unreadable 2 "" $? "$out"
# A named pipe is refused at once (it would wait for a writer); its text goes through "-".
fifo_dir=$(mktemp -d); mkfifo "$fifo_dir/script.js"
out=$(timeout 20 "$kestrin" "$fifo_dir/script.js" 2>/dev/null); check pipe-refused 2 "" $? "$out"
rm -rf "$fifo_dir"
out=$("$kestrin" --codepage latin1 -e 'print(1);' 2>/dev/null); check bad-codepage 2 "" $? "$out"
out=$("$kestrin" --frobnicate 2>/dev/null); check unknown-option 2 "" $? "$out"
out=$("$kestrin" 2>/dev/null); check no-script 2 "" $? "$out"
"$kestrin" --help | grep -q "Exit status"; check help 0 "" $? ""
out=$("$kestrin" --version); check version 0 "kestrin (Velkoran) " $? "${out%[0-9]*.[0-9]*}"
out=$("$kestrin" --codepage cp932 -e 'print("ab".length);'); check codepage 0 "2" $? "$out"
out=$(printf 'first\n' | "$kestrin" -e 'print("before "); print(prompt("q?")); print(" " + prompt("again?"));' 2>/dev/null)
check prompt-order 0 "before first null" $? "$out"
out=$(printf 'line1\nline2\n' | "$kestrin" -e 'print(textArea("t").length);' 2>/dev/null); check textarea 0 "12" $? "$out"
err=$("$kestrin" -e 'alert("warn"); print("x");' 2>&1 >/dev/null); check alert-to-stderr 0 "warn" $? "$err"
if [ $failed -ne 0 ]; then
  echo "$failed checks failed"
  exit 1
fi
echo "all runner checks passed"
