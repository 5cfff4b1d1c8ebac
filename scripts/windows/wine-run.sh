#!/usr/bin/env bash
# Runs a Windows program of the cross-build under Wine: the build's test
# discovery and every test go through here.
#
# Now and then Wine fails a program before the program has started: the run
# ends at once with a failure and nothing printed. The test programs always
# print before they end (their first line comes before any test runs), so a
# failed run with nothing on standard output is started once more; a program
# that fails that way twice fails. Each such start is written to standard
# error and, when TW_WINE_RESTARTS names a file, appended to it, so that the
# test run can say how often it happened.
#
# Standard output goes to a file that is shown as it grows, not through a
# pipe: the processes Wine starts for a session outlive the program that
# started them and would keep a pipe open.
set -uo pipefail

output=$(mktemp)
trap 'rm -f "$output"' EXIT

for attempt in 1 2; do
  : >"$output"
  /usr/bin/wine "$@" >"$output" &
  program=$!
  tail -n +1 -s 0.05 -f --pid="$program" "$output" &
  shown=$!
  wait "$program"
  status=$?
  wait "$shown"
  if [ "$status" -eq 0 ] || [ -s "$output" ] || [ "$attempt" -eq 2 ]; then
    break
  fi
  note="Wine ended $* with exit code $status before it printed anything; starting it again"
  echo "$note" >&2
  if [ -n "${TW_WINE_RESTARTS:-}" ]; then
    echo "$note" >>"$TW_WINE_RESTARTS"
  fi
done
exit "$status"
