#!/usr/bin/env bash
# Installs the Debian packages the game, its data generator and its tests need.
# Idempotent: does nothing (and needs no root) when everything is already there.
set -euo pipefail

packages=(g++ make cmake pkg-config libglfw3-dev libglew-dev libglm-dev libassimp-dev
  libfreeimage-dev libstb-dev zlib1g-dev xvfb xauth libgl1-mesa-dri
  libgtest-dev xdotool glslang-tools)
# Optional tools: the fuzz target needs clang with its runtime.
if [ "${VELMORA_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
