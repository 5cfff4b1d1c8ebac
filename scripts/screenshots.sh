#!/usr/bin/env bash
# Renders a PNG of every wizard page (the log page during and after a run), the
# close question, an error box and the shortcut builder, in English and
# Chinese, offscreen against the model servers, into the folder given as the
# argument.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/screenshots.sh FOLDER" >&2
  exit 2
fi
folder=$(realpath -m "$1")
cd "$(dirname "$0")/.."
scripts/setup.sh render_pages
QT_QPA_PLATFORM=offscreen build/tests/screenshots/render_pages "$folder"
echo "Pictures written to $folder"
