#!/usr/bin/env bash
# Installs what Vaskor needs to build, run and test on Debian 12. Run as root; does nothing for
# packages already present.
set -euo pipefail
paquets=(
  build-essential cmake pkg-config clang
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-translations-l10n libgl-dev
  libcrypto++-dev libssl-dev openssl
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  dovecot-core dovecot-pop3d python3
  xvfb xauth
  scdoc desktop-file-utils appstream dpkg-dev man-db
  poppler-utils
)
manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
if ((${#manquants[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${manquants[@]}"
fi
