#!/usr/bin/env bash
# Installs what Orvessa needs, builds it (Release) and runs it against the local stand-in of the
# cloud e-seal service. Arguments are passed to the application: the first one is the PDF
# document to open.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR=${ORV_BUILD_DIR:-build-release}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/orvessa-ccache}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)" --target Orvessa orvessa-standin

if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set). Run this command from a desktop session, or under" >&2
  echo "a virtual one: xvfb-run -a -s '-screen 0 1280x800x24' bash scripts/run.sh" >&2
  exit 1
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

# The stand-in service on 127.0.0.1 (a free port). It keeps its CA in the build folder and
# stops when its standard input closes, which happens when this script ends.
STATE_DIR="$BUILD_DIR/standin"
mkdir -p "$STATE_DIR"
RUN_DIR=$(mktemp -d)
mkfifo "$RUN_DIR/in"
"$BUILD_DIR/tools/standin/orvessa-standin" --listen 127.0.0.1:0 --ca-dir "$STATE_DIR" \
  < "$RUN_DIR/in" > "$RUN_DIR/out" &
STANDIN_PID=$!
exec 3> "$RUN_DIR/in"
cleanup() {
  exec 3>&- || true
  wait "$STANDIN_PID" 2>/dev/null || true
  rm -rf "$RUN_DIR"
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  grep -q '^config_i=' "$RUN_DIR/out" 2>/dev/null && break
  kill -0 "$STANDIN_PID" 2>/dev/null || { echo "The stand-in service did not start." >&2; exit 1; }
  sleep 0.1
done
CONFIG_I=$(sed -n 's/^config_i=//p' "$RUN_DIR/out")
[ -n "$CONFIG_I" ] || { echo "The stand-in service did not report its address." >&2; exit 1; }
# The CA that issues the stand-in's signing certificates: signatures made through it verify to
# a trusted root.
CONFIG_CA=$(sed -n 's/^config_ca=//p' "$RUN_DIR/out")
echo "Stand-in cloud service: $(sed -n 's/^port=/127.0.0.1:/p' "$RUN_DIR/out")"

# The application trusts the service's certificate through the system store only.
CA_TARGET=/usr/local/share/ca-certificates/orvessa-standin.crt
if ! cmp -s "$STATE_DIR/ca.crt" "$CA_TARGET"; then
  $SUDO install -m 0644 "$STATE_DIR/ca.crt" "$CA_TARGET"
  $SUDO update-ca-certificates > /dev/null 2>&1
fi

# This run's settings file, in this run's own folder (scripts/run-config.sh): config.ini beside
# the executable with its [Config] group pointed at this run's stand-in and its CA.
RUN_CONFIG="$RUN_DIR/config.ini"
bash scripts/run-config.sh "$BUILD_DIR/src/app/config.ini" "$CONFIG_I" "$CONFIG_CA" "$RUN_CONFIG"
export ORVESSA_CONFIG="$RUN_CONFIG"

"$BUILD_DIR/src/app/Orvessa" "$@"
