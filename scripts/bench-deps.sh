#!/usr/bin/env bash
# Installs, when missing, the Debian packages the benchmarks need beyond the build's
# own (scripts/deps.sh): Qt 5 with its SVG module, and strace for counting write calls.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
packages=(qtbase5-dev libqt5svg5-dev strace)
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
