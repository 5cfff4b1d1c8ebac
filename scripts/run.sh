#!/usr/bin/env bash
# Builds Tablewright (the program only, never the tests; nothing at all when it
# is up to date) and starts it: the wizard, or with a job file as the
# argument, the unattended run of that job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh tablewright
exec build/app/tablewright "$@"
