#!/usr/bin/env bash
# Installs what the build needs, builds every test with AddressSanitizer and UBSan, and runs
# them all with ctest (widget tests offscreen, screen tests under xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR=${ORV_TEST_BUILD_DIR:-build-test}
JOBS=${ORV_JOBS:-$(nproc)}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/orvessa-ccache}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}

cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DORV_SANITIZE=ON -DORV_WERROR=ON -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=ON
cmake --build "$BUILD_DIR" -j "$JOBS"

cd "$BUILD_DIR"
ctest --output-on-failure -j "$JOBS" --timeout 600
