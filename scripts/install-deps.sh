#!/usr/bin/env bash
# Installs every system package that building, testing and running Corvane need.
# Idempotent: does nothing (quietly) when everything is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libicu-dev libzip-dev libxlsxwriter-dev libgsf-1-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk xvfb xauth imagemagick
  diffutils time bc
  desktop-file-utils dpkg-dev file
  clang libclang-rt-14-dev clang-format
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

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
