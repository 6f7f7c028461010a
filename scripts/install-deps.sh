#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and the
# packages named on the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/apt.sh
packages=(cmake make g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  libncurses-dev tmux nlohmann-json3-dev wordnet-base scowl libgit2-dev libre2-dev
  libtomlplusplus-dev git)
apt_install "${packages[@]}" "$@"
