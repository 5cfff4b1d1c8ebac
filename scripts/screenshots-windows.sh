#!/usr/bin/env bash
# Renders the wizard pages of the Windows build under Wine, offscreen against
# the model servers (as scripts/screenshots.sh does for Linux), into a
# temporary folder, and copies pages 2 and 6 of both languages into the
# folder given as the argument.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/screenshots-windows.sh FOLDER" >&2
  exit 2
fi
folder=$(realpath -m "$1")
cd "$(dirname "$0")/.."
scripts/setup-windows.sh render_pages
source scripts/windows/env.sh

pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
wine build-windows/tests/screenshots/render_pages.exe "$(tw_wine_path "$pictures")"
mkdir -p "$folder"
for language in en cn; do
  cp "$pictures/$language-page2.png" "$pictures/$language-page6.png" "$folder/"
done
echo "Pictures written to $folder"
