#!/usr/bin/env bash
# Checks the built qxzaqlnk.dll from its headers: the export directory holds
# exactly the entries of QXZAQLNK/qxzaqlnk.def by name and ordinal and nothing
# else, it imports only system DLLs (no MinGW runtime DLL), and it carries the
# version resource 1.4.0.52.
#   tests/windows/check-dll.sh [build-win/qxzaqlnk.dll]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dll=${1:-$root/build-win/qxzaqlnk.dll}
objdump=x86_64-w64-mingw32-objdump
failed=0
check() {  # check CONDITION-RESULT TEXT
  if [ "$1" -eq 0 ]; then echo "ok - $2"; else echo "not ok - $2"; failed=1; fi
}

headers=$("$objdump" -p "$dll")

# "ordinal name" pairs, sorted, from the .def and from the export directory.
expected=$(sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*@\([0-9]\+\).*/\2 \1/p' \
  "$root/QXZAQLNK/qxzaqlnk.def" | sort -n)
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]\+\).*/\1/p' <<<"$headers")
# The name table lists "[index] name" with index = ordinal - base (binutils 2.40).
actual=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
  sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]\+\)\][[:space:]]\+\([^[:space:]]\+\).*/\1 \2/p' |
  awk -v base="$base" '{ print $1 + base, $2 }' | sort -n)
[ "$(wc -l <<<"$expected")" -eq 58 ]; check $? "the .def names 58 entries"
[ "$expected" = "$actual" ]; result=$?
check $result "export names and ordinals are those of the .def, nothing else"
if [ $result -ne 0 ]; then diff <(echo "$expected") <(echo "$actual") || true; fi
grep -qx '3 PlayDChannelEvents' <<<"$actual" && grep -qx '9 QXZAQStartLink' <<<"$actual" &&
  grep -qx '64 QXZAQPlayDChannelEventsTime' <<<"$actual"
check $? "ordinal 3 is PlayDChannelEvents, 9 QXZAQStartLink, 64 QXZAQPlayDChannelEventsTime"
for unassigned in 6 15 50 51 52 53; do
  ! grep -q "^$unassigned " <<<"$actual" || { check 1 "ordinal $unassigned unassigned"; }
done
# Every entry the library defines is exported.
entries=$(sed -n 's/^QXZAQ_ENTRY(\([A-Za-z_0-9]*\),.*/\1/p' "$root/QXZAQLNK/core/Entries.inc" | sort)
[ "$entries" = "$(awk '{print $2}' <<<"$actual" | sort)" ]; check $? "every entry of Entries.inc is exported"

imports=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*\(.*\)$/\1/p' <<<"$headers" | sort -u)
echo "# imports: $(tr '\n' ' ' <<<"$imports")"
! grep -viqE '^(kernel32|advapi32|msvcrt|user32|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$' <<<"$imports"
check $? "only system DLLs are imported (no libstdc++, libgcc or libwinpthread DLL)"

strings -el "$dll" | grep -qx 'FileVersion' && strings -el "$dll" | grep -qx '1.4.0.52'
check $? "version resource FileVersion 1.4.0.52"
exit $failed
