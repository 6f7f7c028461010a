#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine.
set -euo pipefail
packages=(cmake make g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  libncurses-dev tmux nlohmann-json3-dev wordnet-base)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
