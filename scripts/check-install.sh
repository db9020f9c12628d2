#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks it file by file: the desktop entry
# (desktop-file-validate), the manual page, that the installed program takes its settings from
# the user's configuration folder, and, where the Debian tools are present, the package.
# Usage: scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/corvane
lib/corvane/corvane-window.so
share/applications/corvane.desktop
share/doc/corvane/ReadMe.txt
share/icons/hicolor/128x128/apps/corvane.png
share/icons/hicolor/16x16/apps/corvane.png
share/icons/hicolor/24x24/apps/corvane.png
share/icons/hicolor/256x256/apps/corvane.png
share/icons/hicolor/32x32/apps/corvane.png
share/icons/hicolor/48x48/apps/corvane.png
share/icons/hicolor/64x64/apps/corvane.png
share/icons/hicolor/scalable/apps/corvane.svg
share/man/man1/corvane.1"
actual=$(cd "$prefix" && find . -mindepth 1 ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(echo "$expected" | LC_ALL=C sort)" ] ||
  fail "installed files differ from the list:"$'\n'"$actual"
[ -x "$prefix/bin/corvane" ] || fail "bin/corvane is not executable"
# The installed program finds its window module: the window is still open when time runs out.
set +e
timeout 5 env -u XDG_CONFIG_HOME QT_QPA_PLATFORM=offscreen HOME="$work/window-home" \
  "$prefix/bin/corvane" >"$work/window.txt" 2>&1
window_status=$?
set -e
[ "$window_status" = 124 ] || fail "the window did not open ($window_status): $(cat "$work/window.txt")"

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$prefix/share/applications/corvane.desktop" 2>&1) ||
    fail "desktop entry: $out"
  [ -z "$out" ] || fail "desktop entry: $out"
fi
grep -q '^Exec=corvane %F$' "$prefix/share/applications/corvane.desktop" || fail "Exec line"
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/corvane.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "manual page: $warnings"
fi

# The installed program reads setting.ini from $XDG_CONFIG_HOME/corvane, else ~/.config/corvane,
# and a batch run writes nothing there or beside the program.
printf 'Hello\n' >"$work/a.txt"
printf 'hello\n' >"$work/b.txt"
mkdir -p "$work/home/.config/corvane" "$work/xdg"
printf '[Corvane]\nLetter=1\n' >"$work/home/.config/corvane/setting.ini"
status() { set +e; env "$@" "$prefix/bin/corvane" "$work/a.txt" "$work/b.txt" /o "$work/out.csv" >/dev/null 2>&1; echo $?; set -e; }
[ "$(status -u XDG_CONFIG_HOME HOME="$work/home")" = 0 ] || fail "~/.config/corvane/setting.ini not read"
[ "$(status HOME="$work/home" XDG_CONFIG_HOME="$work/xdg")" = 1 ] || fail "XDG_CONFIG_HOME not followed"
mv "$work/home/.config/corvane" "$work/xdg/corvane"
[ "$(status HOME="$work/home" XDG_CONFIG_HOME="$work/xdg")" = 0 ] || fail "XDG_CONFIG_HOME/corvane not read"
[ ! -e "$prefix/bin/setting.ini" ] || fail "a batch run wrote setting.ini beside the program"
[ ! -e "$work/home/.config/corvane" ] || fail "a batch run created the settings folder"

if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$work" && cpack -G DEB -B "$work/deb" --config "$build/CPackConfig.cmake" >/dev/null)
  deb=$(ls "$work"/deb/corvane_*.deb)
  info=$(dpkg-deb -I "$deb")
  grep -q '^ Package: corvane$' <<<"$info" || fail "package name"
  grep -Eq '^ Depends: .*libqt6widgets6' <<<"$info" || fail "no library dependencies: $info"
  contents=$(dpkg-deb -c "$deb")
  for f in usr/bin/corvane usr/share/applications/corvane.desktop usr/share/man/man1/corvane.1 \
    usr/share/doc/corvane/ReadMe.txt usr/share/icons/hicolor/scalable/apps/corvane.svg; do
    grep -q " \./$f\$" <<<"$contents" || fail "package lacks $f"
  done
fi
echo "check-install: ok"
