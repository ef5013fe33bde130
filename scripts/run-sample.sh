#!/usr/bin/env bash
# Installs what is missing, builds, and corrects a bundled sample photo: the
# filter plug-in's automatic road in lumivex-host (with a registry of its
# own under out/ unless LUMIVEX_REGISTRY is set, so that the run is the
# same on every machine and the user's store is untouched), then the engine
# alone.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
mkdir -p "$root/out"
cd "$root"
LUMIVEX_REGISTRY="${LUMIVEX_REGISTRY:-out/registry}" \
  build/bin/lumivex-host --auto samples/astronaut.png out/astronaut-auto.png
build/bin/lumivex-correct samples/astronaut.png out/astronaut-corrected.png
