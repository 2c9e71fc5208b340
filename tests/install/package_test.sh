#!/usr/bin/env bash
# Builds the Debian package from the build directory (what is built), lists
# its contents against what it must hold, and runs lintian on it: no error
# (warnings are printed). Exits 77 (skipped) without dpkg-deb.
# Usage: package_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1 cpack=$2
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed (scripts/setup.sh installs dpkg-dev)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/qxzaq16_*.deb)
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/lib/libqxzaqlnk.so.1 /usr/lib/libqxzaqlnk.so /usr/include/qxzaqlnk.h \
            /usr/lib/pkgconfig/qxzaqlnk.pc /usr/lib/cmake/QXZAQLNK/QXZAQLNKConfig.cmake \
            /usr/bin/zaqmon /usr/bin/zaqsim /usr/bin/pcap2dmp /usr/bin/zaqbridge \
            /usr/share/man/man1/zaqmon.1.gz /usr/share/man/man1/zaqsim.1.gz \
            /usr/share/man/man1/pcap2dmp.1.gz /usr/share/man/man1/zaqbridge.1.gz \
            /etc/qxzaq16/qxzaq16.reg /etc/qxzaq16/zaqbridge.conf /lib/systemd/system/zaqbridge.service \
            /usr/share/doc/qxzaq16/copyright; do
  grep -qx "$path" "$work/contents" || { cat "$work/contents"; fail "$path is not in the package"; }
done
grep -q '^/usr/lib/libqxzaqlnk.so.1.4.0$' "$work/contents" || fail "the library itself is not in the package"
conffiles=$(dpkg-deb --info "$deb" conffiles)
grep -qx /etc/qxzaq16/zaqbridge.conf <<<"$conffiles" || fail "the settings are not conffiles"
depends=$(dpkg-deb --field "$deb" Depends)
grep -q libmosquitto1 <<<"$depends" || fail "no dependency on libmosquitto1"
echo "package contents: OK ($(basename "$deb"))"

if ! command -v lintian >/dev/null; then
  echo "lintian is not installed: the package is not checked"
  exit 0
fi
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
grep -v 'root privileges' "$work/lintian.log" || true
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
echo "lintian: no error"
