#!/bin/sh
# The English catalogue is complete: the extraction tool, run over the sources into a copy
# of the catalogue, finds no text without a translation and none that the sources lost.
#   translations_test.sh LUPDATE CATALOGUE OPTION... -- SOURCE...
set -eu
lupdate=$1 catalogue=$2
shift 2
options=""
while [ "$1" != "--" ]; do options="$options $1"; shift; done
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$catalogue" "$work/check.ts"
# shellcheck disable=SC2086
"$lupdate" $options "$@" -ts "$work/check.ts" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }

status=0
report() {
  echo "$1"
  # The messages' sources, one per line.
  awk -v kind="$2" '
    /<message/ { source = ""; inmsg = 1 }
    inmsg && /<source>/ { source = $0; sub(/.*<source>/, "", source); sub(/<\/source>.*/, "", source) }
    inmsg && /<translation/ && index($0, kind) { print "  " source }
    /<\/message>/ { inmsg = 0 }' "$work/check.ts"
  status=1
}
grep -q 'type="unfinished"' "$work/check.ts" &&
  report "texts without an English translation (build the target update_translations, then translate):" 'type="unfinished"'
grep -q -E 'type="(vanished|obsolete)"' "$work/check.ts" &&
  report "texts the sources no longer have (build the target update_translations):" 'type="vanished"'
if grep -q -E '<translation></translation>|<translation/>' "$work/check.ts"; then
  echo "empty translations in $catalogue"
  status=1
fi
[ "$status" -eq 0 ] && echo "catalogue complete: $(grep -c '<source>' "$work/check.ts") texts"
exit "$status"
