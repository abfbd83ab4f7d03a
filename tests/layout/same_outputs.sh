#!/bin/sh
# Plays every scenario in examples/ and tests/scenarios/ with two builds of orvane-host and
# requires the same project dump and the same picture files, byte for byte: the proof that a
# change meant to move code changed no behaviour.
#   same_outputs.sh OLD_BIN_DIR NEW_BIN_DIR [WORK_DIR]
# Compared too: the trace of every host call and the step table printed for people.
# Each BIN_DIR holds orvane-host and OrvaneTavolin.so. The hour-long bake is left out (it takes
# minutes and writes half a gigabyte); everything else is compared.
set -eu
old=$(cd "$1" && pwd) new=$(cd "$2" && pwd) work=${3:-$(mktemp -d)}
root=$(cd "$(dirname "$0")/../.." && pwd)
status=0
for scenario in "$root"/examples/*.json "$root"/tests/scenarios/*.json; do
  name=$(basename "$scenario" .json)
  [ "$name" = bake-hour ] && continue
  for side in old new; do
    eval bin=\$$side
    rm -rf "$work/$side/$name"
    mkdir -p "$work/$side/$name"
    "$bin/orvane-host" run "$scenario" --module "$bin/OrvaneTavolin.so" --quiet \
      --out "$work/$side/$name" --trace "$work/$side/$name/trace.jsonl" \
      >"$work/$side/$name.stdout" 2>"$work/$side/$name.stderr" || echo "exit $?" >>"$work/$side/$name.stdout"
    # The step table a person reads, from the scenario's own folder so that paths are alike.
    (cd "$(dirname "$scenario")" && "$bin/orvane-host" run "$(basename "$scenario")" \
      --module "$bin/OrvaneTavolin.so" --out "$work/table-$side" 2>/dev/null |
      sed "s@$work/table-$side@OUT@g") >>"$work/$side/$name.stdout" || true
  done
  if diff -r "$work/old/$name" "$work/new/$name" >/dev/null &&
     cmp -s "$work/old/$name.stdout" "$work/new/$name.stdout"; then
    echo "same: $name ($(ls "$work/new/$name" | wc -l) files)"
  else
    echo "DIFFERENT: $name"; diff -rq "$work/old/$name" "$work/new/$name" || true
    status=1
  fi
done
exit $status
