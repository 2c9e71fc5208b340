#!/usr/bin/env bash
# The monitor on simulated units: builds the programs, starts zaqsim with the
# bundled demo scenario and runs zaqmon on its units until Ctrl-C.
# Arguments are handed to zaqmon (for example --json, --channels 1-4, --duration 30).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh --target zaqsim zaqmon >/dev/null

work=$(mktemp -d)
cleanup() {
  [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export QXZAQ_COMDIR=$work/com
export QXZAQ_REGISTRY=$work/qxzaq16.reg
export QXZAQ_SYSDIR=$work

scenario=tools/zaqsim/scenarios/demo.scn
build/tools/zaqsim/zaqsim --units 3 --pbx Definity2D,MeridianD,ISDN4WD \
  --comdir "$QXZAQ_COMDIR" --registry "$QXZAQ_REGISTRY" --trace-dir "$work" \
  --scenario "$scenario" --loop >"$work/zaqsim.log" 2>&1 &
sim=$!

# Wait for the units' links and the registry file.
for _ in $(seq 50); do
  [ -f "$QXZAQ_REGISTRY" ] && [ -e "$QXZAQ_COMDIR/COM3" ] && break
  sleep 0.1
done
cat "$work/zaqsim.log"

build/tools/zaqmon/zaqmon "$@"
