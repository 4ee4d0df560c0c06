#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing,
# and generates the comma-decimal locale the locale tests switch to. With --demo, only
# what the demo needs (a compiler, CMake, Cairo and its font). With --bench, also strace.
# Qt 6's SVG module (QSvgGenerator) is the Qt corpus's peer, and the benchmarks'. The
# corpus's Qt example programs (qtbase5-examples) are not installed: its CMake setup
# fetches them into the build tree with apt-get download.
set -euo pipefail

demo_packages=(build-essential cmake ninja-build pkg-config zlib1g-dev libcairo2-dev fonts-dejavu-core)
packages=(
  "${demo_packages[@]}" clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev
  libgtest-dev libbenchmark-dev
  librsvg2-bin
  libxml2-utils libxml2-dev w3c-sgml-lib doxygen
  locales valgrind chromium python3
)
# The fidelity tests render with resvg under node, whose npm installs it; a machine with
# node from elsewhere has its npm already.
command -v npm >/dev/null || packages+=(nodejs npm)
[ "${1:-}" = "--demo" ] && packages=("${demo_packages[@]}")
if [ "${1:-}" = "--bench" ]; then
  packages+=(strace)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

[ "${1:-}" = "--demo" ] && exit 0
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd locale-gen >/dev/null
fi
