#!/bin/bash
# Installs what Tarvik needs on Debian (as root), by purpose:
#   deps.sh run       building and running the bar
#   deps.sh screen    the private virtual screen run.sh uses when there is no display
#   deps.sh package   building the Debian package (adds to "run")
#   deps.sh test      the whole test stack (adds to all of the above)
#   deps.sh fuzz      clang and libFuzzer for the fuzzing harnesses
#   deps.sh format    clang-format, which keeps the house style
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail
RUN=(cmake ninja-build g++ pkg-config qt6-base-dev libasound2-dev libxcb1-dev libxcb-randr0-dev librsvg2-bin xdg-utils
     fonts-dejavu-core fonts-dejavu-extra fonts-urw-base35)
SCREEN=(xvfb xauth openbox trayer x11-utils imagemagick fonts-dejavu-core)
PACKAGE=(dpkg-dev file lintian)
TEST=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xdotool pulseaudio pulseaudio-utils libasound2-plugins alsa-utils
  dovecot-pop3d openssl netcat-openbsd python3 procps iproute2 util-linux
  desktop-file-utils appstream
  x11-xserver-utils fluxbox i3-wm python3-xlib
)
PAQUETS=()
for but in "${@:-run}"; do
  case $but in
    run) PAQUETS+=("${RUN[@]}") ;;
    screen) PAQUETS+=("${SCREEN[@]}") ;;
    package) PAQUETS+=("${RUN[@]}" "${PACKAGE[@]}") ;;
    test) PAQUETS+=("${RUN[@]}" "${SCREEN[@]}" "${PACKAGE[@]}" "${TEST[@]}" clang-format) ;;
    fuzz) PAQUETS+=(clang libclang-rt-dev) ;;
    format) PAQUETS+=(clang-format) ;;
    *) echo "usage: $0 [run|screen|package|test|fuzz|format]..." >&2; exit 2 ;;
  esac
done
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
