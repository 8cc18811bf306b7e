#!/usr/bin/env bash
# Installs the build into a fresh staging folder as `make install DESTDIR=STAGE PREFIX=/usr` does.
# Usage: stage.sh STAGE CMAKE BUILD_DIR
set -euo pipefail
rm -rf "$1"
DESTDIR="$1" "$2" --install "$3" --prefix /usr >/dev/null
