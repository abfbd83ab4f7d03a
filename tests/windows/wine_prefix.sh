#!/bin/sh
# Starts a Wine server for the test prefix and creates the prefix the first time (some seconds).
# Environment: WINEPREFIX, ORVANE_WINE64, ORVANE_WINESERVER and the rest of the test settings.
set -e
mkdir -p "$WINEPREFIX" "$HOME" "$TMPDIR"
# A server left from an earlier run would refuse to start a second time; end it first.
"$ORVANE_WINESERVER" -k 2>/dev/null || true
"$ORVANE_WINESERVER" -w || true
# The server and the services wineboot starts outlive this script: they must not hold its output
# open, or CTest waits for them.
"$ORVANE_WINESERVER" -p30 </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$ORVANE_WINE64" wineboot -i </dev/null >"$TMPDIR/wineboot.log" 2>&1
fi
echo "wine prefix ready: $WINEPREFIX"
