#!/usr/bin/env bash
# Where the time of the plug-in's automatic road goes on a 24-megapixel JPEG:
# lumivex-host --auto --times against lumivex-correct --times with the
# window's defaults, five runs each, on the benchmark's generated 6000 x 4000
# picture saved as a quality-92 JPEG. Prints each phase's median (and the
# Start selector's three parts), the CPU and the build type, and checks that
# both programs give the same pixels. Not part of CI; it takes a minute or two.
#
#   hosts/lumivex-host/bench/auto-24mp.sh
#
# Builds Release into build-release/ and works in a temporary folder
# (removed at the end), with an empty registry of its own.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
release="$root/build-release"
runs=5
cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" --target lumivex-bench lumivex-correct lumivex-host LumivexPI >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LUMIVEX_REGISTRY="$work/registry"

"$release/bin/lumivex-bench" --write-image "$work/in.ppm"
"$release/bin/lumivex-correct" --quiet --no-correct --quality 92 "$work/in.ppm" "$work/in.jpg" >/dev/null
defaults=(--contrast 7 --color 7 --sharpen 6 --noise 7 --tonal-gamma 1.8 --target-gamma 1.8 --skin 229,190,168)

# Each run's times as "name value" lines.
for ((i = 0; i < runs; ++i)); do
  "$release/bin/lumivex-host" --plugin "$release/lib/LumivexPI.so" --auto --times "$work/in.jpg" \
    "$work/host.ppm" 2>&1 >/dev/null | sed -n 's/^lumivex-host: times (ms): //p' |
    sed -E 's/decode ([0-9.]+), start ([0-9.]+) \(until input served ([0-9.]+), until output requested ([0-9.]+), then ([0-9.]+)\), encode ([0-9.]+), total ([0-9.]+)/host.decode \1\nhost.start \2\nhost.start.acquire \3\nhost.start.correct \4\nhost.start.deliver \5\nhost.encode \6\nhost.total \7/' \
    >>"$work/times.txt"
  start=$(date +%s%N)
  "$release/bin/lumivex-correct" --quiet --times "${defaults[@]}" "$work/in.jpg" "$work/correct.ppm" 2>&1 >/dev/null |
    sed -n 's/^times: //p' |
    sed -E 's/load ([0-9.]+) ms, correct ([0-9.]+) ms, save ([0-9.]+) ms/correct.load \1\ncorrect.correct \2\ncorrect.save \3/' \
    >>"$work/times.txt"
  end=$(date +%s%N)
  echo "correct.total $(((end - start) / 1000000))" >>"$work/times.txt"
done

echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'); build: Release; $runs runs each"
echo "phase                              median ms"
for name in host.decode host.start host.start.acquire host.start.correct host.start.deliver host.encode host.total \
            correct.load correct.correct correct.save correct.total; do
  median=$(awk -v n="$name" '$1 == n { print $2 }' "$work/times.txt" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  printf '%-34s %10.1f\n' "$name" "$median"
done
if cmp -s "$work/host.ppm" "$work/correct.ppm"; then
  echo "both outputs have the same pixels"
else
  echo "auto-24mp: the two outputs differ" >&2
  exit 1
fi
