#!/usr/bin/env bash
# Builds the Debian package in the build folder, unpacks it into a temporary
# root and checks what a user gets: the files and nothing else, the package's
# dependencies, the menu entry, the manual page (and that it lists the same
# job keys, exit codes and environment variables as --help), and that the
# unpacked program prints --help and finds its help pages.
# Usage: check_package.sh BUILD_FOLDER CPACK_COMMAND. Exit 77: skipped.
set -euo pipefail
build=$1
cpack=$2

for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (dpkg-dev)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Dependencies: computed from the linked libraries, plus the ODBC driver and
# unixODBC named by hand; the Oracle client is named for the user to install.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in tdsodbc unixodbc libqt6widgets6 libodbc2 libc6; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done
# The output is taken whole before it is searched: grep -q stops reading at
# the first match, and under pipefail the writer's broken pipe would count as
# a failure.
description=$(dpkg-deb -f "$deb" Description)
grep -q "Oracle Instant Client" <<<"$description" || fail "the description does not name Oracle Instant Client"

# Exactly these files, all under /usr, and no maintainer script: installing
# and removing the package never reaches a home folder (settings, logs, job
# files stay where they are).
expected="./usr/bin/tablewright
./usr/share/applications/tablewright.desktop
./usr/share/doc/tablewright/README.md
./usr/share/doc/tablewright/changelog.gz
./usr/share/doc/tablewright/examples/tablewright-nightly.service
./usr/share/doc/tablewright/examples/tablewright-nightly.timer
./usr/share/icons/hicolor/128x128/apps/tablewright.png
./usr/share/icons/hicolor/16x16/apps/tablewright.png
./usr/share/icons/hicolor/24x24/apps/tablewright.png
./usr/share/icons/hicolor/256x256/apps/tablewright.png
./usr/share/icons/hicolor/32x32/apps/tablewright.png
./usr/share/icons/hicolor/48x48/apps/tablewright.png
./usr/share/icons/hicolor/64x64/apps/tablewright.png
./usr/share/icons/hicolor/scalable/apps/tablewright.svg
./usr/share/man/man1/tablewright.1.gz
./usr/share/tablewright/help/cn/index.html
./usr/share/tablewright/help/en/index.html
./usr/share/tablewright/help/help.css"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$actual" = "$expected" ] || fail "package files differ:$(diff <(echo "$expected") <(echo "$actual") | sed 's/^/\n  /' | tr -d '\n')"
dpkg-deb -e "$deb" "$work/control"
scripts=$(cd "$work/control" && ls | grep -Ev '^(control|md5sums)$' || true)
[ -z "$scripts" ] || fail "the package has maintainer scripts: $scripts"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
[ -x "$root/usr/bin/tablewright" ] || fail "usr/bin/tablewright is not executable"

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$root/usr/share/applications/tablewright.desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  echo "note: desktop-file-validate is not installed (desktop-file-utils); entry not validated"
fi
grep -qx "Icon=tablewright" "$root/usr/share/applications/tablewright.desktop" || fail "the menu entry names another icon"

# The manual page: formats without a warning, the way lintian checks it.
manpage=$root/usr/share/man/man1/tablewright.1.gz
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 >/dev/null) \
    || fail "man -l failed"
  [ -z "$warnings" ] || fail "man -l warns: $warnings"
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manpage" 2>/dev/null | col -b)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "JOB SETTINGS FILE" "EXIT STATUS" ENVIRONMENT FILES; do
    grep -qx "$section" <<<"$rendered" || fail "the manual page has no section $section"
  done
else
  echo "note: man is not installed (man-db); manual page not formatted"
fi

# The unpacked program, without a display, prints its help and names the
# help pages it found in its own tree.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tablewright" --help 2>"$work/help.err") \
  || fail "tablewright --help ended with $?"
[ ! -s "$work/help.err" ] || fail "tablewright --help wrote to standard error: $(cat "$work/help.err")"
grep -qF "Help      $root/usr/share/tablewright/help/{en,cn}/index.html" <<<"$help" \
  || fail "--help does not name the unpacked help pages: $(grep '^  Help' <<<"$help" || echo none)"
# Started through a link elsewhere (as from /usr/local/bin), it still finds
# the pages beside its real place.
mkdir "$work/links" && ln -s "$root/usr/bin/tablewright" "$work/links/tablewright"
linked_help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/links/tablewright" --help 2>&1) \
  || fail "started through a link, --help ended with $?"
grep -qF "Help      $root/usr/share/tablewright/help/{en,cn}/index.html" <<<"$linked_help" \
  || fail "started through a link, --help does not name the unpacked help pages"
version=$("$root/usr/bin/tablewright" --version) || fail "tablewright --version ended with $?"
[ "$version" = "Tablewright 4.0" ] || fail "--version printed: $version"

# The manual page and --help list the same job keys, exit codes and
# environment variables.
help_terms() {  # the first word of each entry under a --help heading
  awk -v heading="$1" 'index($0, heading) == 1 {on = 1; next} /^[A-Z]/ {on = 0}
    on && /^  [^ ]/ {word = $1; sub(/,$/, "", word); print word}' <<<"$help" | sort
}
man_terms() {  # the first word of each tagged paragraph of a manual section
  zcat "$manpage" | awk -v section="$1" '/^\.SH/ {on = index($0, section) > 0; previous = ""; next}
    on && previous == ".TP" {sub(/^\.BR? /, ""); split($0, words, /[ ,"]/); print words[1]} {previous = $0}' | sort
}
for pair in "Job settings file:|JOB SETTINGS FILE" "Exit codes:|EXIT STATUS" "Environment:|ENVIRONMENT"; do
  from_help=$(help_terms "${pair%%|*}")
  from_man=$(man_terms "${pair##*|}")
  [ -n "$from_help" ] || fail "--help has no entries under ${pair%%|*}"
  [ "$from_help" = "$from_man" ] \
    || fail "${pair##*|}: --help and the manual page differ:$(diff <(echo "$from_help") <(echo "$from_man") | tr '\n' ' ')"
done

if command -v lintian >/dev/null; then
  lintian --allow-root "$deb" >"$work/lintian.log" 2>&1 || true
  echo "lintian (for reference):"
  sed 's/^/  /' "$work/lintian.log"
  if grep -Ei "manpage|manual-page|groff" "$work/lintian.log"; then
    fail "lintian reports on the manual page"
  fi
else
  echo "note: lintian is not installed; package not linted"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package checks passed"
