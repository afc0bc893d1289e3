#!/bin/sh
# make clean leaves every data file where it is and removes the rest; make run starts the program from
# run/, outside the build tree, as a copy laid with the installation files; make install lays a program
# folder with a menu entry, and installing again or uninstalling keeps every data file in it.
set -eu
src=$1
bin=$2
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
# Installs use the program already built in $bin (-o build: nothing is rebuilt). HOME points into the
# temporary directory, so nothing reaches the real home even if XDG_DATA_HOME were ignored.
[ -x "$bin/quillstash" ] && [ -x "$bin/quillstash-lay" ] || fail "the program is not built in $bin"
make -n -C "$src" install BUILD_DIR="$b" > "$work/install"
grep -q "^cmake --build $b" "$work/install" || fail "make install does not build first"
export HOME="$work/home" XDG_DATA_HOME="$work/share"
install() { make -s -C "$src" -o build "$@" BUILD_DIR="$bin" > "$work/out" 2>&1 || { cat "$work/out"; return 1; }; }
p="$work/my Quill's stash"
entry=$XDG_DATA_HOME/applications/quillstash.desktop
icon=$XDG_DATA_HOME/icons/hicolor/48x48/apps/quillstash.png
data="Data.QSD Data.QSD-wal Data.QSD-shm Data.QSD.bak1 MTS.qs MTS.qs.bak QS.ini QSHELP.html notes.txt"

install install PREFIX="$p" || fail "make install failed"
cmp -s "$bin/quillstash" "$p/quillstash" || fail "make install did not copy the program"
for f in Data.QSD MTS.qs QS.ini QSHELP.html; do
  [ -s "$p/$f" ] || fail "make install did not lay $f"
done
[ -e "$HOME" ] && fail "make install wrote into HOME instead of XDG_DATA_HOME"
grep -qxF "Exec=\"$p/quillstash\"" "$entry" || fail "the menu entry does not start the program: $(grep Exec "$entry")"
grep -qxF "Path=$p" "$entry" || fail "the menu entry does not start in the program folder"
grep -qxF "Icon=quillstash" "$entry" || fail "the menu entry names no icon"
cmp -s "$bin/icons/hicolor/48x48/apps/quillstash.png" "$icon" || fail "make install did not install the icon"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$entry" > "$work/valid" 2>&1 || { cat "$work/valid"; fail "the menu entry is not valid"; }
fi

# The user's data, changed and added to, survives a second install; the program is replaced by a new
# file, not rewritten in place (a running instance keeps its file).
for f in $data; do
  printf 'user data in %s\n' "$f" >> "$p/$f"
  cp "$p/$f" "$work/saved-$f"
done
echo "old program" > "$p/quillstash"
old_inode=$(stat -c %i "$p/quillstash")
install install PREFIX="$p" || fail "the second make install failed"
for f in $data; do
  cmp -s "$work/saved-$f" "$p/$f" || fail "the second make install changed $f"
done
cmp -s "$bin/quillstash" "$p/quillstash" || fail "the second make install did not replace the program"
[ "$(stat -c %i "$p/quillstash")" != "$old_inode" ] || fail "make install rewrote the program in place"
[ ! -e "$p/quillstash.new" ] || fail "make install left quillstash.new"

# Uninstalling one folder leaves the entry of another folder installed later, then removes that one's.
install install PREFIX="$work/second" || fail "make install into a second folder failed"
install uninstall PREFIX="$p" || fail "make uninstall failed"
[ ! -e "$p/quillstash" ] || fail "make uninstall left the program"
for f in $data; do
  cmp -s "$work/saved-$f" "$p/$f" || fail "make uninstall changed or removed $f"
done
grep -qxF "Path=$work/second" "$entry" || fail "make uninstall removed the entry of another folder"
install uninstall PREFIX="$work/second" || fail "make uninstall of the second folder failed"
[ ! -e "$entry" ] && [ ! -e "$icon" ] || fail "make uninstall left the menu entry or its icon"
[ -s "$work/second/Data.QSD" ] || fail "make uninstall removed the second folder's database"

# GLib's launchers cannot start a program from a folder with % in its path: refused, nothing made.
install install PREFIX="$work/100%" && fail "make install accepted a folder with % in its path"
[ ! -e "$work/100%" ] || fail "a refused make install created the folder"
echo "PASS"
