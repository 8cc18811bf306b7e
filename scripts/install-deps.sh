#!/usr/bin/env bash
# Installs the Debian packages the game, its data generator, its tests and its package need.
# Idempotent: does nothing (and needs no root) when everything is already there.
set -euo pipefail

packages=(g++ make cmake pkg-config libglfw3-dev libglew-dev libglm-dev libassimp-dev
  libfreeimage-dev libstb-dev zlib1g-dev xvfb xauth libgl1-mesa-dri
  libgtest-dev xdotool glslang-tools dpkg-dev file lintian appstream groff-base)
# Optional tools: the fuzz target needs clang with its runtime.
if [ "${VELMORA_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi
# The second OpenGL driver of the tests, zink, runs on Mesa's software Vulkan driver.
if [ "${VELMORA_ZINK:-0}" = 1 ]; then
  packages+=(mesa-vulkan-drivers)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# The one message for a user who cannot install: what to ask an administrator for.
cannot_install() {
  echo "Velmora needs Debian packages that are not installed, and $1." >&2
  echo "Ask an administrator to run: apt-get install ${missing[*]}" >&2
  exit 1
}

# sudo resets the environment, so the non-interactive setting is passed on its command line.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || cannot_install "this user is not root and there is no sudo"
  # sudo -n never prompts: it fails where a password would be needed, which can be typed only
  # where there is a terminal.
  if sudo -n true 2>/dev/null; then
    apt=(sudo -n DEBIAN_FRONTEND=noninteractive apt-get)
  elif [ -t 0 ]; then
    sudo -v || cannot_install "sudo did not let $(id -un) in"
    apt=(sudo DEBIAN_FRONTEND=noninteractive apt-get)
  else
    cannot_install "sudo needs a password for $(id -un), which cannot be asked without a terminal"
  fi
fi
echo "Installing missing packages: ${missing[*]}"
"${apt[@]}" update -q
"${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
