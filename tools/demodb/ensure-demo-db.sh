#!/usr/bin/env bash
# Prints the path of the demo database, writing it first when it is missing.
# Scripts and manual runs use it so that every program finds the same file:
#   db=$(tools/demodb/ensure-demo-db.sh)            # demo/orvane-demo.sqlite under the current directory
#   ORVANE_DEMO_DB=/tmp/big.sqlite tools/demodb/ensure-demo-db.sh --scale 112
# Extra arguments go to orvane-demodb when it runs. The program is looked for
# in $ORVANE_BUILD_DIR (default: build) under the source tree, then on PATH.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
db="${ORVANE_DEMO_DB:-demo/orvane-demo.sqlite}"

if [ ! -f "$db" ]; then
    build="${ORVANE_BUILD_DIR:-$root/build}"
    case "$build" in /*) ;; *) build="$root/$build" ;; esac
    tool="$build/tools/demodb/orvane-demodb"
    if [ ! -x "$tool" ]; then
        tool="$(command -v orvane-demodb || true)"
    fi
    if [ -z "$tool" ]; then
        echo "ensure-demo-db: orvane-demodb is not built (cmake --build $build --target orvane-demodb)" >&2
        exit 1
    fi
    "$tool" --out "$db" "$@" >&2
fi
echo "$db"
