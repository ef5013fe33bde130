#!/usr/bin/env bash
# Builds the fuzz harnesses of fuzz/ with clang into build-fuzz/ and runs each
# for SECONDS (default 60) on its seeds, all at once:
#   scripts/run-fuzz.sh [SECONDS]
# New inputs go to build-fuzz/corpus/<harness>/ (the committed seeds in
# fuzz/corpus/ are only read); a crash, sanitizer report, leak or timeout is
# kept in build-fuzz/crashes/ and fails the run. Each harness's output is in
# build-fuzz/logs/<harness>.log; the last lines say how many inputs it ran.
# Memory is held low (-rss_limit_mb and -malloc_limit_mb of 512): the harnesses
# that load pictures lower the pixel limit so far that only an allocation
# sized by a hostile header, before the limit was checked, can reach it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
dir="$root/build-fuzz"

"$root/scripts/install-deps.sh" clang
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMIVEX_FUZZ=ON -DLUMIVEX_TESTS=OFF -DLUMIVEX_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"

mkdir -p "$dir/crashes" "$dir/logs"
# A small quarantine keeps AddressSanitizer's own memory well inside the limit.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:quarantine_size_mb=64:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
harnesses=()
for seeds in "$root"/fuzz/corpus/*/; do
  harnesses+=("$(basename "$seeds")")
done

pids=()
for name in "${harnesses[@]}"; do
  mkdir -p "$dir/corpus/$name"
  # -close_fd_mask=3: the readers' own messages stay out of the log; the
  # fuzzer's and the sanitizers' reports still reach it.
  "$dir/bin/$name" "$dir/corpus/$name" "$root/fuzz/corpus/$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=512 -print_final_stats=1 -close_fd_mask=3 \
    -artifact_prefix="$dir/crashes/$name-" >"$dir/logs/$name.log" 2>&1 &
  pids+=($!)
done

failed=0
for i in "${!harnesses[@]}"; do
  name="${harnesses[$i]}"
  if wait "${pids[$i]}"; then
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/logs/$name.log" | grep -o '[0-9]*$' || true)"
    printf '%-26s ok, %s inputs in %s s\n' "$name" "${runs:-?}" "$seconds"
  else
    failed=1
    printf '%-26s FAILED (see %s)\n' "$name" "$dir/logs/$name.log"
    grep -m1 -E 'ERROR|SUMMARY|deadly|Timeout|leak' "$dir/logs/$name.log" || true
  fi
done
if ((failed)); then
  echo "fuzzing found a problem; the inputs are in $dir/crashes/" >&2
  exit 1
fi
echo "fuzz: ${#harnesses[@]} passed, 0 failed"
