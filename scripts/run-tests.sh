#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/run-tests.sh             build/ and its tests
#   scripts/run-tests.sh --sanitize  build-asan/ (ASan + UBSan) and its tests
#   scripts/run-tests.sh --release   build-release/ (Release, -O3, as users build) and its tests
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir=build
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
elif [[ "${1:-}" == "--release" ]]; then
  dir=build-release
fi
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$@"
ctest --test-dir "$root/$dir" --output-on-failure -j"${LUMIVEX_TEST_JOBS:-8}"
