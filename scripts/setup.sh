#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vendra need (only those missing).
# The list is scripts/packages.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

mapfile -t packages < <(sed -e 's/#.*//' "$root/scripts/packages.txt" | tr -s ' \t' '\n' | sed '/^$/d')

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
