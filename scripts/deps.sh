#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those that are missing. Sourced by start.sh, test.sh and fuzz.sh.
set -euo pipefail

orvane_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
)

# Installs those of the named packages that are missing.
orvane_install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

orvane_install_deps() {
  orvane_install_missing "${orvane_packages[@]}"
}
