#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [--sanitize|--release] [TARGET...]
#   plain:      build/          (RelWithDebInfo)
#   --sanitize: build-asan/     (Debug, AddressSanitizer + UndefinedBehaviorSanitizer)
#   --release:  build-release/  (Release, -O3: what users build)
# With TARGETs only those are built (with what they depend on), else all.
# Extra CMake arguments may come from LUMIVEX_CMAKE_ARGS.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir=build
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan
  args=(-DCMAKE_BUILD_TYPE=Debug -DLUMIVEX_SANITIZE=ON)
  shift
elif [[ "${1:-}" == "--release" ]]; then
  dir=build-release
  args=(-DCMAKE_BUILD_TYPE=Release)
  shift
fi
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done
# shellcheck disable=SC2206
extra=(${LUMIVEX_CMAKE_ARGS:-})
cmake -S "$root" -B "$root/$dir" -G Ninja "${args[@]}" "${extra[@]}" >/dev/null
cmake --build "$root/$dir" -j"$(nproc)" "${targets[@]}"
