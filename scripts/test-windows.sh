#!/usr/bin/env bash
# Builds Tablewright for Windows (see setup-windows.sh: the first run builds
# Qt for Windows, which takes a while) and runs every test under Wine,
# headless, with a Wine prefix of the tests' own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-windows.sh
source scripts/windows/env.sh

# Wine's odbc32 hands ODBC calls to the machine's unixODBC and FreeTDS,
# which read their configuration from the environment of the Wine process
# itself (the Windows programs' own variables do not reach them): empty
# files of the run's own, as the Linux tests use, so that the user's files
# cannot change a wire test.
odbc=$(mktemp -d)
: >"$odbc/odbcinst.ini"
: >"$odbc/odbc.ini"
printf '[global]\n[127.0.0.1]\n' >"$odbc/freetds.conf"
export ODBCSYSINI=$odbc ODBCINSTINI=odbcinst.ini ODBCINI=$odbc/odbc.ini FREETDSCONF=$odbc/freetds.conf FREETDS=$odbc/freetds.conf

# The programs that Wine failed to start and that were started again.
export TW_WINE_RESTARTS=$(mktemp)
trap 'rm -rf "$odbc" "$TW_WINE_RESTARTS"; wineserver -k 2>/dev/null || true' EXIT

# One Wine server for the whole run, so that each test starts quickly. Its
# session is started here, before the tests: the processes Wine starts for a
# session (services, the desktop) outlive the program that started them and
# keep its output open, and CTest would wait for that test until its time
# limit.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
cd build-windows
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
if [ -s "$TW_WINE_RESTARTS" ]; then
  echo "Programs that Wine failed to start, started again:"
  cat "$TW_WINE_RESTARTS"
fi
exit "$status"
