#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt (and any extra
# packages named on the command line) that are missing; does nothing when all
# are present.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/debian-packages.txt" | awk '{print $1}')
wanted+=("$@")

missing=()
for pkg in "${wanted[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}" >&2
as_root=()
if [[ "$(id -u)" != 0 ]]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
