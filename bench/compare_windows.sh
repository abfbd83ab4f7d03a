#!/bin/sh
# Times one scenario with the Linux host and module natively, and with the Windows host and module
# under Wine. Needs build/release (make build-release) and build/windows (make windows).
set -eu
cd "$(dirname "$0")/.."
scenario=${1:-examples/demo.json}
runs=${RUNS:-5}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The Windows host writes no pictures: leave those steps out for both.
python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); s["steps"]=[x for x in s.get("steps",[]) if x.get("do") not in ("png","sheet")]; json.dump(s,open(sys.argv[2],"w"))' "$scenario" "$tmp/scenario.json"
export WINEPREFIX="$PWD/build/windows/wine/prefix" WINEDEBUG=-all WINEARCH=win64
wine=/usr/lib/wine/wine64
time_runs() {
  start=$(date +%s.%N)
  i=0
  while [ "$i" -lt "$runs" ]; do "$@" >/dev/null; i=$((i + 1)); done
  end=$(date +%s.%N)
  echo "$(echo "($end - $start) / $runs" | bc -l | cut -c1-6) s per run: $*"
}
time_runs build/release/bin/orvane-host run "$tmp/scenario.json" --quiet
time_runs "$wine" build/windows/bin/orvane-host.exe run "$tmp/scenario.json" --quiet --module build/windows/bin/OrvaneTavolin.aex
