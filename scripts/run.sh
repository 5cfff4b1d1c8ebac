#!/usr/bin/env bash
# Builds Tablewright (the program only, never the tests) and starts it: the
# wizard, or with a job file as the argument, the unattended run of that job.
# When no file has changed since the last build, it starts the program at once.
set -euo pipefail
cd "$(dirname "$0")/.."
stamp=build/.program-built
if [ ! -x build/app/tablewright ] || [ ! -f "$stamp" ] \
   || [ -n "$(find . \( -path ./build -o -path ./.git \) -prune -o -type f -newer "$stamp" -print -quit)" ]; then
  scripts/setup.sh tablewright
  touch "$stamp"
fi
exec build/app/tablewright "$@"
