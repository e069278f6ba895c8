#!/usr/bin/env bash
# Installs whatever this project needs on a Debian 12 machine and is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache lld
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fontconfig
  xvfb xauth libxcb-cursor0 xdotool x11-apps x11-xserver-utils xclip
  locales
  clang libclang-rt-14-dev
  libgmp-dev libprimecount-dev
  libmuparser-dev libfparser-dev python3-mpmath libpari-dev
  libemf2svg-dev libwmf-bin gsfonts jlha-utils qt6-svg-dev libwmf-dev
  # For the tests only: the oracles the shipped units and element data are
  # checked against (GNU units; the element tables of bodr and
  # python3-periodictable).
  units bodr python3-periodictable
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A Spanish locale, so the tests can prove that numbers keep their "." under it.
if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(es_ES.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^es_ES.UTF-8 UTF-8' /etc/locale.gen || echo 'es_ES.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
