#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR, under a prefix of its own, then
# the checks a distribution would make.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DESTDIR=$work/root cmake --install "$build" --prefix /opt/cadro >/dev/null
"$(dirname "$0")/check_installed.sh" "$work/root" /opt/cadro
