#!/usr/bin/env bash
# Builds the Debian package with scripts/package, checks it with lintian as
# Debian would, unpacks it, and checks what it holds as the install test does.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package is compiled in scripts/package's own tree, shared with it, and
# with the same launcher (ccache) as the build.
launcher=$(sed -n 's/^CMAKE_CXX_COMPILER_LAUNCHER:[A-Z]*=//p' "$build/CMakeCache.txt")
CMAKE_CXX_COMPILER_LAUNCHER=$launcher "$here/../../scripts/package" "$work/dist" >/dev/null
deb=$(ls "$work"/dist/cadro_*.deb)

# Not a single tag, down to the pedantic and informational ones (hardening,
# stripping).
lintian --pedantic --info "$deb" 2>&1 | grep -v 'running with root privileges' >"$work/lintian.log" || true
[ ! -s "$work/lintian.log" ] || { cat "$work/lintian.log" >&2; fail "lintian"; }

dpkg-deb -x "$deb" "$work/root"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libicu72 libc6; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
"$here/check_installed.sh" "$work/root" /usr
