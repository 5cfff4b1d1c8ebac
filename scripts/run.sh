#!/usr/bin/env bash
# Builds Tablewright and starts it: the wizard, or with a job file as the
# argument, the unattended run of that job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/app/tablewright "$@"
