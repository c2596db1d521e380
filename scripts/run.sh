#!/usr/bin/env bash
# Installs what Orvessa needs, builds it (Release) and runs it. Arguments are passed to the
# application: the first one is the PDF document to open.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR=${ORV_BUILD_DIR:-build-release}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/orvessa-ccache}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)" --target Orvessa

if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set). Run this command from a desktop session, or under" >&2
  echo "a virtual one: xvfb-run -a -s '-screen 0 1280x800x24' bash scripts/run.sh" >&2
  exit 1
fi

exec "$BUILD_DIR/src/Orvessa" "$@"
