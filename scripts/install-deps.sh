#!/usr/bin/env bash
# Installs every Debian 12 package the build, the player, the tests and the benchmarks need.
# Idempotent and quick when everything is already there: apt is only asked for what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config git clang-format-14
  qt6-base-dev libqt6opengl6-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  glslang-dev glslang-tools spirv-tools libspirv-cross-c-shared-dev spirv-cross
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
  libgtest-dev zlib1g-dev
  xvfb xauth xdotool x11-apps x11-utils imagemagick libx11-dev
  clang libclang-rt-14-dev
  mpv qt6-qpa-plugins fonts-dejavu-core
  locales
  dpkg-dev desktop-file-utils lintian man-db groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq "${missing[@]}"
