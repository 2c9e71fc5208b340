#!/usr/bin/env bash
# The monitor on simulated units: builds the programs, starts zaqsim with the
# bundled demo scenario and runs zaqmon on its units until Ctrl-C.
# Arguments are handed to zaqmon (for example --json, --channels 1-4, --duration 30).
# --gui opens the event viewer ZaqView on the units instead (a display is needed).
set -euo pipefail
cd "$(dirname "$0")/.."

gui=false
if [ "${1:-}" = "--gui" ]; then
  gui=true
  shift
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo.sh --gui: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)" >&2
    exit 1
  fi
fi

scripts/setup.sh
if $gui; then
  scripts/build.sh --target zaqsim ZaqView >/dev/null
else
  scripts/build.sh --target zaqsim zaqmon >/dev/null
fi

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
build/tools/zaqsim/zaqsim --units 10 \
  --pbx Definity2D,MeridianD,ISDN4WD,MD110D,NorstarD,NEAX2400D,MerlinMagixD,Inter-TelD,FUJI9600D,HicomD \
  --comdir "$QXZAQ_COMDIR" --registry "$QXZAQ_REGISTRY" --trace-dir "$work" \
  --scenario "$scenario" --loop >"$work/zaqsim.log" 2>&1 &
sim=$!

# Wait for the units' links and the registry file.
for _ in $(seq 50); do
  [ -f "$QXZAQ_REGISTRY" ] && [ -e "$QXZAQ_COMDIR/COM10" ] && break
  sleep 0.1
done
cat "$work/zaqsim.log"

if $gui; then
  if [ ! -x build/ZaqView/ZaqView ]; then
    echo "demo.sh --gui: ZaqView was not built (is qt6-base-dev installed?)" >&2
    exit 1
  fi
  build/ZaqView/ZaqView --enable-events "$@"
else
  build/tools/zaqmon/zaqmon "$@"
fi
