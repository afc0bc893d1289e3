#!/bin/sh
# make clean leaves every data file where it is and removes the rest; make run starts the program from
# run/, outside the build tree, as a copy laid with the installation files.
set -eu
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

b=$work/build
mkdir -p "$b/tests/sub" "$b/CMakeFiles"
for f in quillstash CMakeFiles/x.o tests/sub/y Data.QSD Data.QSD.bak1 Data.QSD.bak3 MTS.qs QS.ini tests/sub/QS.ini; do
  echo "$f" > "$b/$f"
done
make -s -C "$src" clean BUILD_DIR="$b" > "$work/out"
for f in Data.QSD Data.QSD.bak1 Data.QSD.bak3 MTS.qs QS.ini tests/sub/QS.ini; do
  [ "$(cat "$b/$f" 2>/dev/null)" = "$f" ] || fail "make clean deleted $f"
done
for f in quillstash CMakeFiles/x.o tests/sub/y CMakeFiles; do
  [ ! -e "$b/$f" ] || fail "make clean left $f"
done
grep -q "Data.QSD.bak1" "$work/out" || fail "make clean did not list what it kept"
rm -f "$b"/Data.QSD* "$b"/MTS.qs "$b"/QS.ini "$b"/tests/sub/QS.ini
make -s -C "$src" clean BUILD_DIR="$b"
[ ! -e "$b" ] || fail "make clean left an empty build tree"

make -n -C "$src" run BUILD_DIR="$b" > "$work/run"
grep -q "^cp $b/quillstash run/quillstash" "$work/run" || fail "make run does not copy the program to run/"
grep -q "^$b/quillstash-lay run$" "$work/run" || fail "make run does not lay the installation files in run/"
grep -q "^run/quillstash$" "$work/run" || fail "make run does not start run/quillstash"
grep -qE "(^|[;&| ])rm " "$work/run" && fail "make run removes something"
echo "PASS"
