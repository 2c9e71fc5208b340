#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds a small consumer
# program against it twice, with pkg-config and with find_package, and runs
# both on the installed library. Also moves the installation: both files
# find their prefix from where they lie.
# Usage: install_test.sh BUILD_DIR C_COMPILER CMAKE
set -euo pipefail
build=$1 cc=$2 cmake=$3
here=$(cd "$(dirname "$0")" && pwd)
# The consumers run from here: inside the build folder, since a system's /tmp
# may be mounted without the right to execute.
work=$(mktemp -d "$build/install-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cmake" --install "$build" --prefix "$work/first" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
mv "$work/first" "$work/prefix"
prefix=$work/prefix
libdir=$(dirname "$(find "$prefix" -name 'libqxzaqlnk.so.*.*.*' | head -1)")
[ -d "$libdir" ] || fail "no libqxzaqlnk.so.X.Y.Z installed"

# The library with its soname links, the header, the tools and their manual pages.
soname=$(objdump -p "$libdir"/libqxzaqlnk.so.*.*.* | awk '/SONAME/ {print $2}')
[ "$soname" = libqxzaqlnk.so.1 ] || fail "soname is '$soname'"
[ "$(readlink "$libdir/libqxzaqlnk.so.1")" = "$(basename "$libdir"/libqxzaqlnk.so.*.*.*)" ] || fail "soname link"
[ "$(readlink "$libdir/libqxzaqlnk.so")" = libqxzaqlnk.so.1 ] || fail "development link"
for file in include/qxzaqlnk.h bin/zaqmon bin/zaqsim bin/pcap2dmp \
            share/man/man1/zaqmon.1.gz share/man/man1/zaqsim.1.gz share/man/man1/pcap2dmp.1.gz; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
if [ -e "$prefix/bin/zaqbridge" ]; then
  [ -e "$prefix/share/man/man1/zaqbridge.1.gz" ] || fail "zaqbridge has no manual page"
fi
[ ! -e "$prefix/etc" ] || fail "a prefix installation wrote etc/"

# The loader's whole answer is kept, to be shown when the check fails, and
# paths are compared resolved, so a build folder behind a link still matches.
# Usage: uses_installed_library PROGRAM [LD_LIBRARY_PATH]
uses_installed_library() {
  local listing found
  listing=$(LD_LIBRARY_PATH=${2:-} ldd "$1" 2>&1) || { echo "$listing"; fail "ldd $1"; }
  found=$(awk '$1 == "libqxzaqlnk.so.1" {print $3}' <<<"$listing")
  [ -n "$found" ] && [ "$(realpath "$found")" = "$(realpath "$libdir/libqxzaqlnk.so.1")" ] \
    || { echo "$listing"; fail "not the installed library"; }
}

# The consumer runs on an empty registry: no unit to open.
export QXZAQ_REGISTRY=$work/none.reg QXZAQ_SYSDIR=$work

# 1. pkg-config
export PKG_CONFIG_PATH=$libdir/pkgconfig
flags=$(pkg-config --cflags --libs qxzaqlnk) || fail "pkg-config does not know qxzaqlnk"
[ "$(pkg-config --modversion qxzaqlnk)" = 1.4.0 ] || fail "pkg-config version"
"$cc" -o "$work/with-pkg-config" "$here/consumer/consumer.c" $flags || fail "pkg-config build"
uses_installed_library "$work/with-pkg-config" "$libdir"
LD_LIBRARY_PATH=$libdir "$work/with-pkg-config" || fail "pkg-config consumer"

# 2. find_package
"$cmake" -S "$here/consumer" -B "$work/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "find_package(QXZAQLNK)"; }
"$cmake" --build "$work/consumer-build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "find_package build"; }
uses_installed_library "$work/consumer-build/consumer"
"$work/consumer-build/consumer" || fail "find_package consumer"
echo "install, pkg-config and find_package: OK"
