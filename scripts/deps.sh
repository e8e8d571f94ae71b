#!/bin/bash
# Installs what building, running and testing Tarvik needs on Debian (as root).
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail
PAQUETS=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libasound2-dev libxcb1-dev libxcb-randr0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox trayer x11-utils x11-xserver-utils xdotool imagemagick fonts-dejavu-core
  fluxbox i3-wm python3-xlib
  pulseaudio pulseaudio-utils libasound2-plugins alsa-utils
  dovecot-pop3d netcat-openbsd python3 procps xdg-utils
)
manquants=()
for p in "${PAQUETS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
if ((${#manquants[@]})); then
  echo "Installing: ${manquants[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${manquants[@]}" >/dev/null
fi
