#!/usr/bin/env bash
# Checks that the tracked C and C++ sources follow .clang-format, as formatted
# by clang-format 14 (Debian 12's `clang-format` package, the one version the
# project pins: other versions format differently). Changes nothing; lists
# each place that differs and fails when any does.
#   scripts/check-format.sh          every tracked source
#   scripts/check-format.sh FILE...  those files
# Format a file with `clang-format-14 -i FILE`.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
format=clang-format-14
if ! command -v "$format" >/dev/null; then
  echo "check-format: $format is missing (apt-get install clang-format)" >&2
  exit 2
fi
if (($# > 0)); then
  files=("$@")
else
  # Generated sources live in the build trees, which are not tracked; the
  # fuzz corpus and the samples hold no sources.
  mapfile -t files < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' ':!:fuzz/corpus/**')
fi
printf '%s\0' "${files[@]}" | xargs -0 -n 32 -P "$(nproc)" "$format" --dry-run --Werror
echo "check-format: ${#files[@]} files follow .clang-format"
