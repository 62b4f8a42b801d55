#!/usr/bin/env bash
# Builds the Debian package with scripts/package from the given build, unpacks
# it, and checks what it holds as the install test does.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

CADRO_BUILD_DIR=$build "$here/../../scripts/package" "$work/dist" >/dev/null
deb=$(ls "$work"/dist/cadro_*.deb)
dpkg-deb -x "$deb" "$work/root"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libicu72 libc6; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
"$here/check_installed.sh" "$work/root" /usr
