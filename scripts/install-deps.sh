#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run Brevaro.
# As root it installs what is missing; otherwise it prints the apt-get line.
# With "sanitize" it adds clang and its sanitizer and libFuzzer runtimes.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev qt6-translations-l10n
  libgtest-dev
  xvfb xauth fonts-dejavu-core fonts-liberation2
  clang-format git
)
if [ "${1:-}" = sanitize ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Some packages are missing. Run as root:"
  echo "  apt-get install ${missing[*]}"
  exit 1
fi
