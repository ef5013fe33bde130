#!/usr/bin/env bash
# Installs what is missing, builds what the job needs (the engine, the filter
# plug-in, lumivex-host and lumivex-correct; not the tests), and corrects a
# bundled sample photo: the filter plug-in's automatic road in lumivex-host
# (with a registry file of its own, out/registry, unless LUMIVEX_REGISTRY
# names another, so that the run is the same on every machine and the
# user's store is untouched), then the engine alone. One line per picture
# written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" Lumivex LumivexPI lumivex-host lumivex-correct
mkdir -p "$root/out"
cd "$root"
LUMIVEX_REGISTRY="${LUMIVEX_REGISTRY:-out/registry}" \
  build/bin/lumivex-host --auto samples/astronaut.png out/astronaut-auto.png
echo "wrote out/astronaut-auto.png (the plug-in's automatic correction, through lumivex-host)"
build/bin/lumivex-correct --quiet samples/astronaut.png out/astronaut-corrected.png >/dev/null
echo "wrote out/astronaut-corrected.png (the engine's default correction, through lumivex-correct)"
