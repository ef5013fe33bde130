#!/usr/bin/env bash
# Installs what is missing, builds, and corrects a bundled sample photo.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
mkdir -p "$root/out"
cd "$root"
build/bin/lumivex-correct samples/astronaut.png out/astronaut-corrected.png
