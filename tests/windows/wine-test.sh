#!/usr/bin/env bash
# Runs the Windows DLL under Wine against a simulated Definity unit: a
# throw-away WINEPREFIX, no display, every wait bounded, the simulator and
# the prefix's wineserver stopped on exit.
#   tests/windows/wine-test.sh [ZAQSIM [WINDOWS-BUILD-DIR]]
# zaqsim is the Linux one (scripts/build.sh --target zaqsim); the Windows
# build directory holds qxzaqlnk.dll and the test programs (scripts/build-windows.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zaqsim=${1:-$root/build/tools/zaqsim/zaqsim}
winbuild=${2:-$root/build-win}
for file in "$zaqsim" "$winbuild/qxzaqlnk.dll" "$winbuild/wine_link_test.exe" "$winbuild/wine_serial_test.exe"; do
  [ -e "$file" ] || { echo "missing: $file" >&2; exit 2; }
done
command -v wine >/dev/null || { echo "wine is not installed (scripts/setup.sh)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zaq-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= WAYLAND_DISPLAY=
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "# wine prefix $WINEPREFIX"
timeout 180 wineboot -i >/dev/null 2>&1

"$zaqsim" --units 1 --pbx Definity2D --comdir "$work/com" --speed 0 \
  --scenario "$root/tests/windows/definity.scn" --loop >"$work/zaqsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  [ -L "$work/com/COM1" ] && break
  sleep 0.1
done
tty=$(readlink "$work/com/COM1") || { echo "zaqsim made no COM1:"; cat "$work/zaqsim.log"; exit 1; }

# COM5 is the simulated unit, COM9 a configured unit that is absent. Wine
# rebuilds its links from HKLM\Software\Wine\Ports at start, so the mapping
# goes there as well as into dosdevices.
wine_reg() { timeout 60 wine reg "$@" >/dev/null; }
wine_reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$tty" /f
wine_reg add 'HKLM\Software\Wine\Ports' /v COM9 /d '' /f
ln -sfn "$tty" "$WINEPREFIX/dosdevices/com5"
rm -f "$WINEPREFIX/dosdevices/com9"

key='HKLM\Software\Tessaline\QXZAQ16'
wine_reg add "$key" /v '# of COMPorts' /t REG_DWORD /d 2 /f
wine_reg add "$key" /v CARD1 /t REG_SZ /d COM5 /f
wine_reg add "$key" /v CARD2 /t REG_SZ /d COM9 /f
wine_reg add "$key" /v TraceLevel /t REG_DWORD /d 4 /f
wine_reg add "$key" /v TracePath /t REG_SZ /d 'C:\zaqtrace' /f

mkdir -p "$WINEPREFIX/drive_c/zaqtest" "$WINEPREFIX/drive_c/zaqtrace"
cp "$winbuild/qxzaqlnk.dll" "$winbuild/wine_link_test.exe" "$winbuild/wine_serial_test.exe" "$WINEPREFIX/drive_c/zaqtest/"

status=0
echo "# the serial device"
timeout 120 wine 'C:\zaqtest\wine_serial_test.exe' COM5 || status=1
echo "# the whole run"
timeout 180 wine 'C:\zaqtest\wine_link_test.exe' 'C:\zaqtest\qxzaqlnk.dll' 'C:\zaqtrace' full || status=1
echo "# a second process, which ends with the link running"
timeout 60 wine 'C:\zaqtest\wine_link_test.exe' 'C:\zaqtest\qxzaqlnk.dll' 'C:\zaqtrace' exit-running || status=1
echo "# the unit goes away under a running link"
timeout 120 wine 'C:\zaqtest\wine_link_test.exe' 'C:\zaqtest\qxzaqlnk.dll' 'C:\zaqtrace' unit-vanishes \
  >"$work/vanish.out" 2>&1 &
test_pid=$!
for _ in $(seq 300); do
  grep -q 'link started' "$work/vanish.out" && break
  kill -0 "$test_pid" 2>/dev/null || break
  sleep 0.1
done
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=
touch "$WINEPREFIX/drive_c/zaqtrace/unit-gone"
wait "$test_pid" || status=1
cat "$work/vanish.out"
if [ $status -ne 0 ]; then
  echo "# trace file:"
  tail -n 60 "$WINEPREFIX/drive_c/zaqtrace/qxzaqlnk.log" 2>/dev/null || true
  echo "# zaqsim:"
  cat "$work/zaqsim.log"
fi
echo "# Wine test $([ $status -eq 0 ] && echo passed || echo FAILED)"
exit $status
