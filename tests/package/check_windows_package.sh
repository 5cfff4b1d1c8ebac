#!/usr/bin/env bash
# Builds the Windows packages in the (cross-)build folder: the NSIS installer
# and the ZIP. Unpacks the ZIP into a temporary folder and starts the program
# from there under Wine with --version (as the tests are started, see
# scripts/windows/wine-run.sh), with no search path of its own, so that it
# runs on the libraries the ZIP carries.
# Usage: check_windows_package.sh BUILD_FOLDER CPACK_COMMAND VERSION
set -euo pipefail
build=$1
cpack=$2
version=$3
name=tablewright-$version-win64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && "$cpack" -G "NSIS;ZIP" -B "$work/out") >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
[ -s "$work/out/$name.exe" ] || fail "no installer $name.exe"
[ -s "$work/out/$name.zip" ] || fail "no ZIP $name.zip"
echo "packages: $(cd "$work/out" && ls "$name".*)"

unzip -q "$work/out/$name.zip" -d "$work/unpacked"
program=$work/unpacked/$name/bin/tablewright.exe
for file in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll libstdc++-6.dll libwinpthread-1.dll; do
  [ -f "$(dirname "$program")/$file" ] || fail "the ZIP lacks bin/$file"
done
for page in en/index.html cn/index.html; do
  [ -f "$work/unpacked/$name/share/tablewright/help/$page" ] || fail "the ZIP lacks the help page $page"
done

wine_run=$(cd "$(dirname "$0")/../../scripts/windows" && pwd)/wine-run.sh
output=$(WINEPATH= "$wine_run" "$program" --version 2>"$work/stderr" | tr -d '\r') || fail "--version failed: $(cat "$work/stderr")"
[ "$output" = "Tablewright $version" ] || fail "--version printed \"$output\""
echo "--version: $output"

[ "$failures" -eq 0 ] || exit 1
echo "Windows packages checked"
