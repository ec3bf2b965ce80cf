#!/usr/bin/env bash
# Installs the Debian packages Quorbel needs to build, run and test, and any named as
# arguments. Idempotent and non-interactive: apt-get runs only when a package is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config git
  googletest libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev
  portaudio19-dev
  xvfb xauth x11-utils
  dbus-daemon at-spi2-core python3-pyatspi
  pulseaudio pulseaudio-utils
  fonts-dejavu-core
  imagemagick
  sox
  strace
  desktop-file-utils appstream
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi
