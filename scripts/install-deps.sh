#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Orvessa needs.
# Does nothing when they are all present already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qtbase5-dev libqt5svg5-dev qttools5-dev-tools qttranslations5-l10n libqt5svg5
  libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev libjpeg-dev
  libfreetype-dev libharfbuzz-dev libssl-dev openssl asn1c libquazip5-dev libcjson-dev
  zlib1g-dev libx11-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps fonts-wqy-microhei ca-certificates
  qpdf poppler-utils mupdf-tools
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

export DEBIAN_FRONTEND=noninteractive
APT=(apt-get -o DPkg::Lock::Timeout=300)
$SUDO "${APT[@]}" update
$SUDO "${APT[@]}" install -y --no-install-recommends "${missing[@]}"
