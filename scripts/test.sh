#!/usr/bin/env bash
# Installs what the build needs, builds every test with AddressSanitizer and UBSan, and runs
# them all with ctest (widget tests offscreen, screen tests under xvfb-run). Then builds the
# engine, signature and facade tests once more as a Release build without sanitizers and runs
# them: the sanitizers' memory handling (freed memory held back, never reused at once) can hide
# faults that only an optimised build shows.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR=${ORV_TEST_BUILD_DIR:-build-test}
RELEASE_DIR=${ORV_RELEASE_BUILD_DIR:-build-release}
JOBS=${ORV_JOBS:-$(nproc)}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/orvessa-ccache}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}

cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DORV_SANITIZE=ON -DORV_WERROR=ON -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=ON
cmake --build "$BUILD_DIR" -j "$JOBS"

(cd "$BUILD_DIR" && ctest --output-on-failure -j "$JOBS" --timeout 600)

# The fast suites of the engine, the signatures and the document facade, optimised and without
# sanitizers (only these targets are built).
RELEASE_TESTS=(engine_tests engine_annot_tests engine_appearance_tests signature_tests verify_tests facade_tests)
cmake -S . -B "$RELEASE_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DORV_SANITIZE=OFF -DORV_WERROR=ON -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF
cmake --build "$RELEASE_DIR" -j "$JOBS" --target "${RELEASE_TESTS[@]}"
failed=()
for t in "${RELEASE_TESTS[@]}"; do
  bin=$(find "$RELEASE_DIR/tests" -type f -name "$t" -perm -u+x | head -n 1)
  echo "== Release build: $t"
  if [ -z "$bin" ] || ! (cd "$(dirname "$bin")" && "./$t" --gtest_brief=1); then
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "Release build: failing suites: ${failed[*]}" >&2
  exit 1
fi
echo "Release build: all ${#RELEASE_TESTS[@]} suites passed"
