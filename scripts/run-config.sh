#!/usr/bin/env bash
# Writes the settings file of one run of the application:
#   run-config.sh <config.ini beside the executable> <Config/i> <Config/ca> <this run's file>
# The run's file is a copy of the first (when it exists) with its [Config] group replaced:
# Config/i is the service's base address in Base64, Config/ca the file of the service's CA
# certificates (left out when empty). The application reads it through ORVESSA_CONFIG, so a
# second run with its own service never changes the address the first one's window talks to.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 <template config.ini> <Config/i> <Config/ca> <output file>" >&2
  exit 2
fi
TEMPLATE=$1
CONFIG_I=$2
CONFIG_CA=$3
OUTPUT=$4
{ [ -f "$TEMPLATE" ] && cat "$TEMPLATE"; true; } | awk -v value="$CONFIG_I" -v ca="$CONFIG_CA" '
  /^\[/ { skip = ($0 == "[Config]") }
  !skip { print }
  END { print "[Config]"; print "i=" value; if (ca != "") print "ca=" ca }
' > "$OUTPUT"
