#!/usr/bin/env bash
# The desktop entry, the metainfo and the man pages validate; the .deb holds exactly the
# expected files and depends on the libraries the programs link; unpacked into a temporary
# root, the programs answer, and the window's first start puts the samples in place.
set -u
build=$(realpath "$1")
source=$(realpath "$2")
mkdir -p "${VELKORAN_TEST_TMP:-/tmp}"
work=$(mktemp -d "${VELKORAN_TEST_TMP:-/tmp}/package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
check() {  # check NAME COMMAND...: the command must succeed
  local name=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    sed 's/^/     /' "$work/out"
    failed=$((failed + 1))
  fi
}
same() {  # same NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else
    echo "FAIL $1"
    diff <(echo "$2") <(echo "$3") | sed 's/^/     /'
    failed=$((failed + 1))
  fi
}
has() { grep -q -- "$2" <<<"$1"; }

check desktop-entry desktop-file-validate "$source/data/velkoran.desktop"
check metainfo appstreamcli validate --no-net "$source/data/org.velkoran.velkoran.metainfo.xml"
for page in velkoran.1 kestrin.1; do
  # man's warnings name every macro or escape groff does not understand.
  check "man page $page" bash -c "out=\$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z '$build/man/$page' 2>&1 >/dev/null); [ -z \"\$out\" ] || { echo \"\$out\"; false; }"
done

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL cpack"
  exit 1
fi
deb=$(ls "$work"/package/*.deb)

expected="./usr/bin/kestrin
./usr/bin/velkoran
./usr/share/applications/velkoran.desktop
./usr/share/icons/hicolor/128x128/apps/velkoran.png
./usr/share/icons/hicolor/16x16/apps/velkoran.png
./usr/share/icons/hicolor/22x22/apps/velkoran.png
./usr/share/icons/hicolor/24x24/apps/velkoran.png
./usr/share/icons/hicolor/256x256/apps/velkoran.png
./usr/share/icons/hicolor/32x32/apps/velkoran.png
./usr/share/icons/hicolor/48x48/apps/velkoran.png
./usr/share/icons/hicolor/64x64/apps/velkoran.png
./usr/share/icons/hicolor/scalable/apps/velkoran.svg
./usr/share/man/man1/kestrin.1.gz
./usr/share/man/man1/velkoran.1.gz
./usr/share/metainfo/org.velkoran.velkoran.metainfo.xml"
for sample in "$source"/examples/Script/*.txt "$source"/examples/*.js; do
  expected+=$'\n'"./usr/share/velkoran/examples/${sample#"$source"/examples/}"
done
same "package file list" "$(sort <<<"$expected")" "$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  check "depends on $library" has "$depends" "$library"
done
# Every library the programs link directly comes from a package the .deb depends on.
package_of() {
  local path owner
  for path in "$1" "$(realpath "$1")"; do
    owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] && echo "$owner" && return
  done
}
root="$work/root"
dpkg -x "$deb" "$root"
for program in velkoran kestrin; do
  needed=$(objdump -p "$root/usr/bin/$program" | awk '/NEEDED/ {print $2}')
  while read -r soname path; do
    grep -qx "$soname" <<<"$needed" || continue
    package=$(package_of "$path")
    check "$program: $soname from ${package:-?}" has "$depends" "${package:-no package}"
  done < <(ldd "$root/usr/bin/$program" | awk '/=>/ {print $1, $3}')
done

check "installed tree" appstreamcli validate-tree --no-net "$root"
check "installed desktop entry" desktop-file-validate "$root/usr/share/applications/velkoran.desktop"
same "velkoran --version" "velkoran $(dpkg-deb -f "$deb" Version)" "$("$root/usr/bin/velkoran" --version)"
same "kestrin -e" "42" "$("$root/usr/bin/kestrin" -e 'println(6 * 7);' | tr -d '\r')"
same "installed sample" "Hello, Ann!" "$("$root/usr/bin/kestrin" "$root/usr/share/velkoran/examples/hello.js" Ann | tr -d '\r' | head -1)"

# First start of the unpacked window: the samples land in the empty script folder, and
# the state is saved when the window is asked to close.
home="$work/home"
VELKORAN_HOME="$home" QT_QPA_PLATFORM=offscreen "$root/usr/bin/velkoran" >"$work/window.log" 2>&1 &
window=$!
for _ in $(seq 100); do
  [ -f "$home/Script/CrcList.txt" ] && break
  sleep 0.1
done
sleep 0.5
kill -TERM "$window"
wait "$window"
same "samples on first start" "$(cd "$source/examples/Script" && ls)" "$(cd "$home/Script" 2>/dev/null && ls)"
check "state saved" test -f "$home/save/setting.ini"
check "nothing beside the program" test "$(ls "$root/usr/bin")" == "$(printf 'kestrin\nvelkoran')"

if [ $failed -ne 0 ]; then
  echo "$failed packaging checks failed"
  exit 1
fi
echo "all packaging checks passed"
