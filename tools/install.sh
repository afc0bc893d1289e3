#!/bin/sh
# `make install` and `make uninstall`. The program folder QS_PREFIX holds the program and, beside it, the
# user's knowledge base; neither action ever deletes or overwrites a file in it other than the program.
#   install:   copies QS_BUILD_DIR/quillstash into the folder (moved into place, so a running instance keeps
#              its file), lays the installation files that are absent, and writes the desktop menu entry and
#              the icon under the user's data folder ($XDG_DATA_HOME, else ~/.local/share).
#   uninstall: removes the program, the menu entry and the icon; the data files stay.
set -eu

fail() { echo "$0: $*" >&2; exit 1; }

action=${1:-}
prefix=${QS_PREFIX:-}
[ -n "$prefix" ] || fail "no program folder given (PREFIX is empty)"
# A menu entry cannot start a program whose path holds a line break; one holding % is written as the
# format asks (%%), but GLib's launchers look for the written path and find nothing.
case $prefix in
*'
'* | *%*) fail "a menu entry cannot start a program in a folder whose path holds a line break or %: choose another PREFIX" ;;
esac

# Relative or unset XDG_DATA_HOME is ignored, as the desktop does.
case ${XDG_DATA_HOME:-} in
/*) data_home=$XDG_DATA_HOME ;;
*) [ -n "${HOME:-}" ] || fail "HOME is not set"; data_home=$HOME/.local/share ;;
esac
apps=$data_home/applications
entry=$apps/quillstash.desktop
icons=$data_home/icons/hicolor

# A string value in a desktop entry: a backslash is written doubled.
desktop_string() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }

# An Exec argument: quoted when it holds a reserved character, with " ` $ \ escaped inside the quotes;
# then escaped as a string value. (A % would start a field code; such folders are refused above.)
desktop_exec_arg() {
  case $1 in
  *[[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]*)
    arg=\"$(printf '%s' "$1" | sed 's/[\\"`$]/\\&/g')\" ;;
  *) arg=$1 ;;
  esac
  desktop_string "$arg"
}

absolute_dir() { (CDPATH='' cd -- "$1" && pwd); }

# Replaces $2 with $1 in one step.
move_into_place() { mv -fT -- "$1" "$2" || { rm -f -- "$1"; fail "cannot replace $2"; }; }

install_program() {
  build=${QS_BUILD_DIR:-build}
  [ -x "$build/quillstash" ] || fail "$build/quillstash is not built"
  [ -x "$build/quillstash-lay" ] || fail "$build/quillstash-lay is not built"
  [ -d "$build/icons/hicolor" ] || fail "$build/icons is not built"

  mkdir -p -- "$prefix" || fail "cannot create $prefix"
  dir=$(absolute_dir "$prefix") || fail "cannot enter $prefix"
  case $dir in *%*) fail "a menu entry cannot start a program in $dir (its path holds %): choose another PREFIX" ;; esac
  program=$dir/quillstash
  [ ! -d "$program" ] || fail "$program is a folder"

  cp -- "$build/quillstash" "$program.new" || { rm -f -- "$program.new"; fail "cannot copy the program to $dir"; }
  move_into_place "$program.new" "$program"
  # Lays only what is absent: an existing database, tree or settings file is never touched.
  "$build/quillstash-lay" "$dir" || fail "cannot lay the installation files in $dir"

  for png in "$build"/icons/hicolor/*/apps/quillstash.png; do
    size=${png#"$build/icons/hicolor/"}
    size=${size%%/*}
    mkdir -p -- "$icons/$size/apps" || fail "cannot create $icons/$size/apps"
    cp -- "$png" "$icons/$size/apps/quillstash.png.new" || fail "cannot copy the icon to $icons/$size/apps"
    move_into_place "$icons/$size/apps/quillstash.png.new" "$icons/$size/apps/quillstash.png"
  done

  mkdir -p -- "$apps" || fail "cannot create $apps"
  {
    echo "[Desktop Entry]"
    echo "Type=Application"
    echo "Version=1.4"
    echo "Name=Quillstash"
    echo "GenericName=Knowledge Base"
    echo "GenericName[zh_CN]=资料库"
    echo "Comment=Keep snippets, articles, notes and paths to example programs in a category tree"
    echo "Comment[zh_CN]=按分类保存文字资料和实例资料"
    echo "Exec=$(desktop_exec_arg "$program")"
    echo "TryExec=$(desktop_string "$program")"
    echo "Path=$(desktop_string "$dir")"
    echo "Icon=quillstash"
    echo "Terminal=false"
    echo "Categories=Development;"
    echo "Keywords=notes;snippets;knowledge;"
    echo "StartupNotify=true"
    echo "StartupWMClass=Quillstash"
  } > "$entry.new" || { rm -f -- "$entry.new"; fail "cannot write $entry"; }
  move_into_place "$entry.new" "$entry"

  if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$entry" || fail "$entry does not pass desktop-file-validate"
  else
    echo "desktop-file-validate is missing (Debian package desktop-file-utils): the menu entry was not checked"
  fi
  if command -v update-desktop-database > /dev/null; then
    update-desktop-database "$apps" 2> /dev/null || true
  fi

  echo "Installed $program"
  echo "Start it from the desktop menu (Quillstash) or with: $program"
  echo "Your knowledge base lives in $dir beside the program."
}

uninstall_program() {
  if ! dir=$(absolute_dir "$prefix" 2> /dev/null); then
    echo "$prefix does not exist: nothing to remove there"
    dir=$prefix
  fi
  rm -f -- "$dir/quillstash" "$dir/quillstash.new" || fail "cannot remove the program from $dir"
  # The menu entry and icon are removed only when the entry starts this folder's program, not another's.
  if [ -f "$entry" ] && grep -qxF "Path=$(desktop_string "$dir")" "$entry"; then
    rm -f -- "$entry" "$icons"/*/apps/quillstash.png || fail "cannot remove the menu entry or its icon"
    if command -v update-desktop-database > /dev/null; then
      update-desktop-database "$apps" 2> /dev/null || true
    fi
  elif [ -f "$entry" ]; then
    echo "$entry starts a program in another folder: it stays"
  fi
  echo "Removed the program from $dir. Your data files stay there (make never deletes them):"
  for f in "$dir"/*; do
    [ -e "$f" ] && echo "  $f"
  done
  return 0
}

case $action in
install) install_program ;;
uninstall) uninstall_program ;;
*) fail "usage: $0 install|uninstall (with QS_PREFIX and QS_BUILD_DIR in the environment)" ;;
esac
